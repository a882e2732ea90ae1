// The name look-ups of the name-entry controls over a running client: the
// server's name search and the name cache.
#pragma once

#include "core/session/NameLookup.h"

namespace pellar {

class Client;

class ClientNameLookup : public NameLookup {
public:
    explicit ClientNameLookup(Client& client) : client_(client) {}

    NameLookupResult Lookup(const std::string& prefix, bool persons, bool conferences) override;
    std::optional<std::string> NameOf(int32_t number) override;

private:
    Client& client_;
};

} // namespace pellar
