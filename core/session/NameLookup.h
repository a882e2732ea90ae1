// The name look-ups that the name-entry control needs: complete a prefix to
// the matching persons and conferences, and give the name of a number. Core
// implements it over the request catalogue and the name cache; tests script it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellar {

struct NameMatch {
    std::string name;   // wire bytes
    std::string type;   // e.g. "person" or "conference", as the look-up reports it
    int32_t number = 0; // conference or person number
};

// What a look-up found. A failed look-up (the reply could not be read, the
// link went, the server refused) is not the same as one that matched nothing.
struct NameLookupResult {
    std::vector<NameMatch> matches;
    bool failed = false;
    // For the user; empty when there is nothing to tell (the user gave up).
    std::string error;
};

class NameLookup {
public:
    virtual ~NameLookup() = default;

    // Every person and/or conference whose name matches the prefix. Blocks
    // until the server has answered or the request has failed.
    virtual NameLookupResult Lookup(const std::string& prefix, bool persons, bool conferences) = 0;

    // The name of a conference or person number, the cache's placeholder name
    // included for numbers the server does not know; none when no name can be
    // had at all (e.g. offline).
    virtual std::optional<std::string> NameOf(int32_t number) = 0;
};

} // namespace pellar
