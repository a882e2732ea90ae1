#include "core/base/LogFile.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellar {

namespace {

// A signal handler gets no argument to find the open logs by, so they are
// listed process-wide. Slots, not a container: the handler may read them at
// any moment and must not meet a half-moved vector.
constexpr int kMaxOpenLogs = 16;
std::atomic<LogFile*> gOpenLogs[kMaxOpenLogs];

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTERM};
struct sigaction gPreviousActions[std::size(kFatalSignals)];
std::once_flag gInstallOnce;

void OnFatalSignal(int sig)
{
    const int savedErrno = errno;
    for (auto& slot : gOpenLogs)
        if (LogFile* log = slot.load())
            log->WriteBufferedForCrash();
    // Then whatever was there before us: the default action, a debugger's or
    // a sanitizer's handler. The signal is blocked while we run, so the raise
    // is delivered to it once we return.
    for (size_t i = 0; i < std::size(kFatalSignals); ++i)
        if (kFatalSignals[i] == sig)
            ::sigaction(sig, &gPreviousActions[i], nullptr);
    errno = savedErrno;
    ::raise(sig);
}

void FlushOpenLogsAtExit()
{
    for (auto& slot : gOpenLogs)
        if (LogFile* log = slot.load())
            log->Flush();
}

void InstallProcessHooks()
{
    std::call_once(gInstallOnce, [] {
        std::atexit(FlushOpenLogsAtExit);
        for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
            struct sigaction action {};
            action.sa_handler = OnFatalSignal;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            ::sigaction(kFatalSignals[i], &action, &gPreviousActions[i]);
        }
    });
}

void Register(LogFile* log)
{
    for (auto& slot : gOpenLogs) {
        LogFile* empty = nullptr;
        if (slot.compare_exchange_strong(empty, log))
            return;
    }
    // More logs open than slots: this one is not rescued by a crash.
}

void Unregister(LogFile* log)
{
    for (auto& slot : gOpenLogs) {
        LogFile* mine = log;
        if (slot.compare_exchange_strong(mine, nullptr))
            return;
    }
}

// How long a line may wait in the buffer, so that lines that come close
// together go out in one write. With nothing to write the writer sleeps until
// a line comes.
constexpr auto kWriteInterval = std::chrono::milliseconds(40);

} // namespace

namespace {

int OpenPrivate(const std::filesystem::path& path)
{
    // O_NOFOLLOW: never write through a link someone planted in our place.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd >= 0)
        ::fchmod(fd, S_IRUSR | S_IWUSR); // an older file may have had wider rights
    return fd;
}

// The first kMaxLineBytes of text, then how much was left out.
std::string_view Shown(std::string_view text, std::string& suffix)
{
    if (text.size() <= LogFile::kMaxLineBytes)
        return text;
    suffix = " ... [" + std::to_string(text.size() - LogFile::kMaxLineBytes) + " more bytes]";
    return text.substr(0, LogFile::kMaxLineBytes);
}

} // namespace

LogFile::LogFile(std::filesystem::path path, uint64_t rotateBytes) : path_(std::move(path)), rotateBytes_(rotateBytes)
{
    if (path_.empty())
        return;
    fd_ = OpenPrivate(path_);
    if (fd_ < 0)
        return;
    // Each run starts empty, the previous file of an earlier run included.
    ::unlink(PreviousPath().c_str());
    ring_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    InstallProcessHooks();
    Register(this);
    writer_ = std::thread([this] { WriterLoop(); });
}

LogFile::~LogFile()
{
    if (fd_ < 0)
        return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    writerCond_.notify_one();
    if (writer_.joinable())
        writer_.join();
    Flush();
    Unregister(this);
    ::close(fd_);
}

std::filesystem::path LogFile::PreviousPath() const
{
    return std::filesystem::path(path_.string() + ".1");
}

void LogFile::RotateIfFullLocked() noexcept
{
    if (fileBytes_ < rotateBytes_)
        return;
    fileBytes_ = 0;
    // The old file stays open until the new one is there: a file that cannot
    // be made leaves the log writing on where it was.
    ::rename(path_.c_str(), PreviousPath().c_str());
    const int fresh = OpenPrivate(path_);
    if (fresh >= 0)
        ::close(fd_.exchange(fresh));
}

void LogFile::WriteAll(const char* data, size_t size) noexcept
{
    fileBytes_ += size;
    const int fd = fd_.load();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void LogFile::WriteOutLocked() noexcept
{
    // Only between writes: the buffer holds whole lines, so none is split
    // over two files.
    RotateIfFullLocked();
    uint64_t head = head_.load(std::memory_order_relaxed);
    const uint64_t tail = tail_.load(std::memory_order_acquire);
    if (head < tail && std::this_thread::get_id() != writerId_.load())
        writesOffTheWriter_.fetch_add(1, std::memory_order_relaxed);
    while (head < tail) {
        const size_t offset = static_cast<size_t>(head % kBufferSize);
        const size_t n = static_cast<size_t>(std::min<uint64_t>(tail - head, kBufferSize - offset));
        WriteAll(ring_.get() + offset, n);
        head += n;
    }
    head_.store(head, std::memory_order_release);
}

void LogFile::WriteBufferedForCrash() noexcept
{
    if (fd_ < 0)
        return;
    // The bytes are claimed before they are written, so that a second fatal
    // signal (a sanitizer's abort after its report) does not write them again.
    uint64_t head = head_.load(std::memory_order_acquire);
    uint64_t tail = tail_.load(std::memory_order_acquire);
    while (head < tail && !head_.compare_exchange_weak(head, tail))
        tail = tail_.load(std::memory_order_acquire);
    if (head >= tail || tail - head > kBufferSize)
        return; // nothing left, or caught between two updates: nothing rather than garbage
    while (head < tail) {
        const size_t offset = static_cast<size_t>(head % kBufferSize);
        const size_t n = static_cast<size_t>(std::min<uint64_t>(tail - head, kBufferSize - offset));
        WriteAll(ring_.get() + offset, n);
        head += n;
    }
}

void LogFile::Flush() noexcept
{
    if (fd_ < 0)
        return;
    std::lock_guard file(fileMutex_);
    WriteOutLocked();
}

void LogFile::WriterLoop()
{
    writerId_ = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (tail_.load() == head_.load()) {
            // Quiet: the next Put wakes us (writerAsleep_ under mutex_).
            writerAsleep_ = true;
            writerCond_.wait(lock, [this] { return stop_ || tail_.load() != head_.load(); });
            writerAsleep_ = false;
            if (stop_)
                break;
        }
        writerCond_.wait_for(lock, kWriteInterval, [this] {
            return stop_ || tail_.load() - head_.load() >= kBufferSize / 2;
        });
        lock.unlock();
        Flush();
        lock.lock();
    }
}

void LogFile::Put(std::string_view bytes)
{
    if (fd_ < 0 || bytes.empty())
        return;
    if (bytes.size() > kBufferSize / 2) {
        // Too big for the buffer: out in order after what is buffered.
        std::lock_guard file(fileMutex_);
        std::lock_guard lock(mutex_);
        WriteOutLocked();
        writesOffTheWriter_.fetch_add(1, std::memory_order_relaxed);
        WriteAll(bytes.data(), bytes.size());
        return;
    }
    std::unique_lock lock(mutex_);
    while (tail_.load() + bytes.size() - head_.load(std::memory_order_acquire) > kBufferSize) {
        // Logging outruns the disk: this caller writes the buffer out itself
        // rather than drop lines.
        lock.unlock();
        Flush();
        lock.lock();
    }
    const uint64_t tail = tail_.load(std::memory_order_relaxed);
    const size_t offset = static_cast<size_t>(tail % kBufferSize);
    const size_t first = std::min(bytes.size(), kBufferSize - offset);
    std::memcpy(ring_.get() + offset, bytes.data(), first);
    std::memcpy(ring_.get(), bytes.data() + first, bytes.size() - first);
    tail_.store(tail + bytes.size(), std::memory_order_release);
    if (writerAsleep_ || tail + bytes.size() - head_.load() >= kBufferSize / 2)
        writerCond_.notify_one();
}

void LogFile::Append(std::string_view bytes) noexcept
{
    try {
        if (bytes.size() <= kMaxLineBytes) {
            Put(bytes);
            return;
        }
        const bool ended = bytes.back() == '\n';
        std::string suffix;
        std::string entry(Shown(bytes.substr(0, bytes.size() - (ended ? 1 : 0)), suffix));
        entry += suffix;
        if (ended)
            entry += '\n';
        Put(entry);
    } catch (...) {
        // A lock that could not be taken: drop the bytes, keep the program.
    }
}

void LogFile::Log(std::string_view tag, std::string_view text) noexcept
{
    if (fd_ < 0)
        return;
    try {
        if (!text.empty() && text.back() == '\n')
            text.remove_suffix(1);
        std::string suffix;
        text = Shown(text, suffix);
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
        line += suffix;
        line += '\n';
        Put(line);
    } catch (...) {
        // Out of memory while logging: drop the line, keep the program.
    }
}

} // namespace pellar
