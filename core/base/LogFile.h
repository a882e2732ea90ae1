// The diagnostic log: one line "[tag] text" per call, the file emptied when it
// is opened and readable by the user alone. A call only copies its line into
// a buffer; a writer thread of the log puts the buffer into the file, so the
// caller never waits for the disk. A normal exit and a crash (a fatal signal)
// still leave every line in the file. Logging never fails the program: a file
// that cannot be opened or written is skipped. Callers hand over text that is
// already fit to be stored (passwords masked). What a server sends may be
// huge: a line shows its first 64 KiB and counts the rest, and the file is
// moved aside (one previous file kept, ".1") once it has passed 16 MiB.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace pellar {

class LogFile
{
public:
    static constexpr size_t kBufferSize = size_t{1} << 20;
    static constexpr size_t kMaxLineBytes = size_t{64} << 10;
    static constexpr uint64_t kRotateBytes = uint64_t{16} << 20;

    explicit LogFile(std::filesystem::path path, uint64_t rotateBytes = kRotateBytes);
    // Writes what is buffered before the file is closed.
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Line breaks and other control bytes in text are written escaped ("\n",
    // "\r", "\xNN") so that one call stays one line; one trailing LF is dropped.
    void Log(std::string_view tag, std::string_view text) noexcept;
    // Bytes stored as they are (a trace that frames its own lines), cut as
    // a line is.
    void Append(std::string_view bytes) noexcept;
    // Puts everything logged so far into the file, on the calling thread.
    void Flush() noexcept;

    bool IsOpen() const { return fd_.load() >= 0; }
    // How often a thread other than the log's writer put lines into the
    // file (Flush, a full buffer, a huge line, the end of the log).
    uint64_t WritesOffTheWriter() const { return writesOffTheWriter_.load(); }
    const std::filesystem::path& Path() const { return path_; }
    // Where the previous file goes when the log is moved aside.
    std::filesystem::path PreviousPath() const;

    // For the fatal-signal handler: writes what is buffered with write()
    // alone, taking no lock. Async-signal-safe.
    void WriteBufferedForCrash() noexcept;

private:
    void Put(std::string_view bytes);
    void WriterLoop();
    // Writes buffered bytes from the head on; fileMutex_ held.
    void WriteOutLocked() noexcept;
    void WriteAll(const char* data, size_t size) noexcept;
    // Moves a full file aside and starts a new one; fileMutex_ held.
    void RotateIfFullLocked() noexcept;

    std::filesystem::path path_;
    // Atomic: the fatal-signal handler reads it while a rotation may swap it.
    std::atomic<int> fd_{-1};
    const uint64_t rotateBytes_;
    uint64_t fileBytes_ = 0;  // in the current file; fileMutex_

    // The buffer is a ring: bytes [head_, tail_) (positions counted from the
    // start) wait for the file. A fixed block, never reallocated, so that the
    // signal handler can read it whatever another thread was doing.
    std::unique_ptr<char[]> ring_;
    std::atomic<uint64_t> head_{0};
    std::atomic<uint64_t> tail_{0};

    std::mutex mutex_;      // appending: whole lines only, never two calls mixed
    std::mutex fileMutex_;  // writing the file: one writer, in order
    std::condition_variable writerCond_;
    std::condition_variable spaceCond_;
    bool stop_ = false;
    bool writerAsleep_ = false;  // mutex_: waiting for the first line after a quiet spell
    std::atomic<std::thread::id> writerId_{};
    std::atomic<uint64_t> writesOffTheWriter_{0};
    std::thread writer_;
};

} // namespace pellar
