#include "core/shell/LogFile.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {

LogFile::LogFile(std::filesystem::path path) : path_(std::move(path))
{
    if (path_.empty())
        return;
    // O_NOFOLLOW: never write through a link someone planted in our place.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd_ >= 0)
        ::fchmod(fd_, S_IRUSR | S_IWUSR); // an older file may have had wider rights
}

LogFile::~LogFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LogFile::Log(std::string_view tag, std::string_view text) noexcept
{
    if (fd_ < 0)
        return;
    try {
        if (!text.empty() && text.back() == '\n')
            text.remove_suffix(1);
        std::string line;
        line.reserve(tag.size() + text.size() + 8);
        line += '[';
        line.append(tag);
        line += "] ";
        static constexpr char kHex[] = "0123456789abcdef";
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '\n') {
                line += "\\n";
            } else if (c == '\r') {
                line += "\\r";
            } else if (u < 0x20 || u == 0x7f) {
                line += "\\x";
                line += kHex[u >> 4];
                line += kHex[u & 15];
            } else {
                line += c;
            }
        }
        line += '\n';
        std::lock_guard lock(mutex_);
        const char* data = line.data();
        size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            data += n;
            left -= static_cast<size_t>(n);
        }
    } catch (...) {
        // Out of memory while logging: drop the line, keep the program.
    }
}

} // namespace pellar
