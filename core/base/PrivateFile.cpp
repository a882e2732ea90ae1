#include "core/base/PrivateFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {

namespace {

bool Fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

// Writes all of bytes to fd; false (errno set) when a write fails.
bool WriteAll(int fd, std::string_view bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool WritePrivateFile(const std::filesystem::path& target, std::string_view bytes, std::string* error)
{
    const std::filesystem::path dir = target.parent_path();
    if (!dir.empty()) {
        std::error_code ec;
        if (!std::filesystem::exists(dir, ec)) {
            std::filesystem::create_directories(dir, ec);
            ::chmod(dir.c_str(), S_IRWXU);
        }
    }
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return Fail(error, "cannot create " + temporary.string());
    // A file left by an older run may have wider rights; O_CREAT keeps them.
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    if (!WriteAll(fd, bytes)) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = saved;
        return Fail(error, "cannot write " + temporary.string());
    }
    ::fsync(fd);
    ::close(fd);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        return Fail(error, "cannot replace " + target.string());
    }
    return true;
}

bool AppendPrivateFile(const std::filesystem::path& target, std::string_view bytes, std::string* error)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return Fail(error, "cannot open " + target.string());
    if (!WriteAll(fd, bytes)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return Fail(error, "cannot write " + target.string());
    }
    ::close(fd);
    return true;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, size_t maxBytes)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

} // namespace pellar
