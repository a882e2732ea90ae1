// A keyring for tests: entries in memory, and a switch that makes it stop
// answering as a desktop without a secret service does.
#pragma once

#include "core/config/SecretStore.h"

#include <map>
#include <string>

namespace pellar::test {

class FakeSecretStore : public SecretStore {
public:
    bool answering = true;
    std::map<std::string, std::string> entries;
    int calls = 0;

    Status Write(const std::string& key, const std::string& secret) override
    {
        ++calls;
        if (!answering)
            return Status::Unavailable;
        entries[key] = secret;
        return Status::Ok;
    }
    Status Read(const std::string& key, std::string& secret) override
    {
        ++calls;
        if (!answering)
            return Status::Unavailable;
        const auto it = entries.find(key);
        if (it == entries.end())
            return Status::NotFound;
        secret = it->second;
        return Status::Ok;
    }
    Status Remove(const std::string& key) override
    {
        ++calls;
        if (!answering)
            return Status::Unavailable;
        entries.erase(key);
        return Status::Ok;
    }
};

} // namespace pellar::test
