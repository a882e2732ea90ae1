#include "core/base/StatePaths.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {

namespace {

std::filesystem::path HomeDir()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd pwd{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &pwd, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return "/tmp";
}

// The XDG variable when it holds an absolute path (relative ones are to be
// ignored), else the fallback below the home directory.
std::filesystem::path PrivateDir(const char* variable, const char* fallback)
{
    std::filesystem::path base;
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        base = value;
    else
        base = HomeDir() / fallback;
    std::filesystem::path dir = base / "pellar";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Logs may hold what the user read; keep the folder to the user alone.
    ::chmod(dir.c_str(), S_IRWXU);
    return dir;
}

} // namespace

std::filesystem::path PerUserStateDir()
{
    return PrivateDir("XDG_STATE_HOME", ".local/state");
}

std::filesystem::path PerUserDataDir()
{
    return PrivateDir("XDG_DATA_HOME", ".local/share");
}

} // namespace pellar
