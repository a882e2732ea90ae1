// Where a saved password is kept outside the settings file: the desktop's
// keyring in the program, a double in tests. An implementation that gets no
// answer in a short time says Unavailable rather than waiting on.
#pragma once

#include <string>

namespace pellar {

class SecretStore {
public:
    enum class Status { Ok, NotFound, Unavailable };

    virtual ~SecretStore() = default;
    virtual Status Write(const std::string& key, const std::string& secret) = 0;
    virtual Status Read(const std::string& key, std::string& secret) = 0;
    // Ok also when there was nothing to remove.
    virtual Status Remove(const std::string& key) = 0;
};

} // namespace pellar
