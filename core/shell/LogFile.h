// The diagnostic log: one line "[tag] text" per call, flushed at once, the
// file emptied when it is opened and readable by the user alone. Logging
// never fails the program: a file that cannot be opened or written is skipped.
// Callers hand over text that is already fit to be stored (passwords masked).
#pragma once

#include <filesystem>
#include <mutex>
#include <string_view>

namespace pellar {

class LogFile
{
public:
    explicit LogFile(std::filesystem::path path);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Line breaks and other control bytes in text are written escaped ("\n",
    // "\r", "\xNN") so that one call stays one line; one trailing LF is dropped.
    void Log(std::string_view tag, std::string_view text) noexcept;

    bool IsOpen() const { return fd_ >= 0; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::mutex mutex_; // whole lines only, never two calls mixed
};

} // namespace pellar
