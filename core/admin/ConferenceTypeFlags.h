// The conference-attributes window's check boxes and the conference type they
// stand for (a string of "0"/"1" flags numbered from 0).
#pragma once

#include <string>
#include <string_view>

namespace pellar {

struct ConferenceTypeChecks {
    bool open = true;           // "&Open for everyone": flag 0 is "0"
    bool allowComments = true;  // "Allow &comments": flag 1 is "0"
    bool secret = false;        // "&Secret": flag 2 is "1"
    bool allowAnonymous = false;// "Allow &anonymous texts": flag 4 is "1"

    bool operator==(const ConferenceTypeChecks&) const = default;
};

class ConferenceTypeFlags {
public:
    // Flags missing from a short type string read as "0".
    static ConferenceTypeChecks ToChecks(std::string_view typeFlags);
    // The eight flags that the set-type request sends.
    static std::string FromChecks(const ConferenceTypeChecks& checks);
};

} // namespace pellar
