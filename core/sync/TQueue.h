// The receive byte queue: every received byte is put here (by the receive
// thread itself, through the queue's source, when it runs dry) and the receive
// thread reads messages out of it. Memory is kept in
// 8192-byte blocks that are freed as soon as the reader has passed them, so it
// follows the unread amount and not the traffic.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace pellar {

// Whoever can produce bytes for the queue on demand. With a source attached, a
// reader that finds the queue empty fetches the bytes itself on its own thread
// instead of sleeping until another thread has put them: one hand-off less
// between the socket and the parser.
class TQueueSource {
public:
    virtual ~TQueueSource() = default;
    // On the reader's thread: waits at most timeoutMs (below 0: no limit) for
    // bytes and puts what arrived into the queue. May return with nothing put;
    // returns early after WakeFill().
    virtual void Fill(int timeoutMs) = 0;
    // Gets a Fill in progress (or the next one) out of its wait.
    virtual void WakeFill() = 0;
};

// A blocking read gave up because the queue was interrupted (link lost).
class TWaitforInterruptedException : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

class TQueue {
public:
    static constexpr size_t kBlockSize = 8192;

    // The owner is the thread that must never block on this queue; by
    // default the creating thread.
    explicit TQueue(std::thread::id owner = std::this_thread::get_id());
    TQueue(const TQueue&) = delete;
    TQueue& operator=(const TQueue&) = delete;

    void PutByte(char c);
    void PutBytes(std::string_view bytes);
    void PutBuffer(const char* data, size_t count);

    // Blocking reads: wait while the queue is empty; raise
    // TWaitforInterruptedException when interrupted while empty.
    char ReadChar();
    char PeekChar();
    // Every byte up to, not including, the first terminator; the terminator
    // stays queued. Refuses to run on the owner thread.
    std::string ReadUntil(std::string_view terminators);
    // As ReadUntil, but takes at most limit bytes into out; true when it
    // stopped at a terminator, false when the limit was reached first.
    bool ReadUntilAtMost(std::string& out, std::string_view terminators, size_t limit);
    // Drops every byte up to, not including, the first terminator (nothing is
    // kept, whatever the length); returns how many were dropped.
    uint64_t SkipUntil(std::string_view terminators);
    // Exactly count bytes, appended to out as they arrive (nothing is
    // reserved ahead of the data).
    void ReadExact(std::string& out, size_t count);

    // Never waits: a pushed-back byte alone, else up to count bytes.
    size_t Read(char* buffer, size_t count);
    size_t Count();
    // Waits up to timeoutMs until at least count bytes are queued; true when
    // they are. Nothing is read. Raises TWaitforInterruptedException when
    // interrupted with fewer queued.
    bool WaitForCount(size_t count, int timeoutMs);

    // Makes every blocked or later blocking read give up until Clear().
    void Interrupt();
    bool Interrupted();
    // Drops all bytes (a new connection starts) and clears the interrupt. A
    // read that continues a message begun before an interrupt nobody saw
    // still fails once, leaving the new bytes queued.
    void Clear();

    // For the receive loop: true when bytes are queued; false on timeout or
    // when Wake() was called.
    bool WaitForData(int timeoutMs);
    void Wake();

    // Attaches the source that readers pull from (nullptr: readers wait for
    // PutBuffer from another thread). The source must outlive its attachment.
    void SetSource(TQueueSource* source);

    // Blocks currently allocated, and the most ever held at once.
    size_t BlockCount();
    size_t PeakBlockCount();

private:
    using Block = std::unique_ptr<char[]>;

    void CheckNotOwner(const char* what) const;
    // Waits (lock held) until bytes are queued; throws when interrupted.
    void WaitReadable(std::unique_lock<std::mutex>& lock);
    // The read fails: the reader has now seen every interrupt so far.
    [[noreturn]] void GiveUpLocked();
    size_t UnreadLocked() const { return static_cast<size_t>(writePos_ - readPos_); }
    size_t CopyOutLocked(char* out, size_t count);
    void PutLocked(const char* data, size_t count);
    void ReleaseHeadLocked();

    // Waits (lock held, released meanwhile) for bytes, an interrupt or a wake;
    // may return spuriously.
    void WaitOnce(std::unique_lock<std::mutex>& lock, int timeoutMs);

    std::atomic<TQueueSource*> source_{nullptr};
    std::mutex mutex_;
    std::condition_variable dataCond_;
    std::deque<Block> blocks_;
    uint64_t headPos_ = 0;  // absolute position of blocks_.front()[0]
    uint64_t writePos_ = 0;
    uint64_t readPos_ = 0;
    bool interrupted_ = false;
    uint64_t interruptEpoch_ = 0;
    // The last interrupt a reader has seen (by giving up, or by waiting at a
    // message boundary). An interrupt still unseen when Clear() runs means a
    // reader is inside a message of the old link: its next read must fail
    // rather than take the new link's bytes as the rest of that message.
    uint64_t seenEpoch_ = 0;
    bool staleReader_ = false;
    uint64_t wakeCount_ = 0;
    size_t peakBlocks_ = 0;
    const std::thread::id owner_;
};

} // namespace pellar
