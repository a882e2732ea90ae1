#include "core/base/StatePaths.h"

#include <cerrno>
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

bool CreatePrivateDirs(const std::filesystem::path& dir)
{
    std::error_code ec;
    if (dir.empty() || std::filesystem::is_directory(dir, ec))
        return !dir.empty();
    if (dir.has_parent_path() && dir.parent_path() != dir && !CreatePrivateDirs(dir.parent_path()))
        return false;
    if (::mkdir(dir.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        return false;
    return std::filesystem::is_directory(dir, ec);
}

bool NarrowToOwner(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode))
        return false;  // never change rights through a link
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return true;
    const mode_t wanted = S_ISDIR(st.st_mode) ? S_IRWXU : (S_IRUSR | S_IWUSR);
    return ::chmod(path.c_str(), wanted) == 0;
}

std::filesystem::path PerUserStateDir()
{
    return PrivateDir("XDG_STATE_HOME", ".local/state");
}

std::filesystem::path PerUserDataDir()
{
    return PrivateDir("XDG_DATA_HOME", ".local/share");
}

} // namespace pellar
