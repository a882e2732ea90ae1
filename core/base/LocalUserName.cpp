#include "core/base/LocalUserName.h"

#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace pellar {

std::string LocalUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd pwd{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &pwd, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_name &&
        result->pw_name[0] != '\0')
        return result->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

} // namespace pellar
