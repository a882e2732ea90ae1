#include "core/sync/TQueue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <sstream>

namespace pellar {

TQueue::TQueue(std::thread::id owner) : owner_(owner) {}

void TQueue::CheckNotOwner(const char* what) const
{
    if (std::this_thread::get_id() != owner_)
        return;
    // The owner would wait for bytes that only it could deliver.
    std::ostringstream text;
    text << what << ": " << std::hash<std::thread::id>{}(std::this_thread::get_id()) << ' '
         << std::hash<std::thread::id>{}(owner_);
    throw std::logic_error(text.str());
}

void TQueue::PutLocked(const char* data, size_t count)
{
    while (count > 0) {
        const uint64_t allocatedEnd = headPos_ + blocks_.size() * kBlockSize;
        if (writePos_ >= allocatedEnd) {
            blocks_.push_back(std::make_unique<char[]>(kBlockSize));
            peakBlocks_ = std::max(peakBlocks_, blocks_.size());
        }
        const size_t index = static_cast<size_t>((writePos_ - headPos_) / kBlockSize);
        const size_t offset = static_cast<size_t>(writePos_ % kBlockSize);
        const size_t n = std::min(count, kBlockSize - offset);
        std::memcpy(blocks_[index].get() + offset, data, n);
        writePos_ += n;
        data += n;
        count -= n;
    }
}

void TQueue::ReleaseHeadLocked()
{
    while (!blocks_.empty() && readPos_ >= headPos_ + kBlockSize) {
        blocks_.pop_front();
        headPos_ += kBlockSize;
    }
    // An empty queue keeps no block at all.
    if (readPos_ == writePos_ && !blocks_.empty() && readPos_ % kBlockSize == 0) {
        blocks_.clear();
        headPos_ = readPos_;
    }
}

void TQueue::PutByte(char c)
{
    PutBuffer(&c, 1);
}

void TQueue::PutBytes(std::string_view bytes)
{
    PutBuffer(bytes.data(), bytes.size());
}

void TQueue::PutBuffer(const char* data, size_t count)
{
    if (count == 0)
        return;
    {
        std::lock_guard lock(mutex_);
        PutLocked(data, count);
    }
    dataCond_.notify_all();
}

void TQueue::SetSource(TQueueSource* source)
{
    source_.store(source);
    dataCond_.notify_all();
}

void TQueue::WaitOnce(std::unique_lock<std::mutex>& lock, int timeoutMs)
{
    TQueueSource* const source = source_.load();
    if (!source) {
        if (timeoutMs < 0)
            dataCond_.wait(lock);
        else
            dataCond_.wait_for(lock, std::chrono::milliseconds(timeoutMs));
        return;
    }
    // The source puts its bytes through PutBuffer, which takes the lock.
    lock.unlock();
    try {
        source->Fill(timeoutMs);
    } catch (...) {
        lock.lock();
        throw;
    }
    lock.lock();
}

void TQueue::GiveUpLocked()
{
    seenEpoch_ = interruptEpoch_;
    staleReader_ = false;
    throw TWaitforInterruptedException();
}

void TQueue::WaitReadable(std::unique_lock<std::mutex>& lock)
{
    if (staleReader_)
        GiveUpLocked();
    if (UnreadLocked() > 0)
        return;
    CheckNotOwner("TQueue read");
    const uint64_t epoch = interruptEpoch_;
    while (!(UnreadLocked() > 0 || interrupted_ || interruptEpoch_ != epoch))
        WaitOnce(lock, -1);
    // A link lost during the wait ends the read even when bytes are there by
    // now: a reader held up long enough finds the next link's bytes, which
    // are not the rest of this message.
    if (UnreadLocked() == 0 || interruptEpoch_ != epoch)
        GiveUpLocked();
}

size_t TQueue::CopyOutLocked(char* out, size_t count)
{
    size_t done = 0;
    while (done < count && readPos_ < writePos_) {
        const size_t index = static_cast<size_t>((readPos_ - headPos_) / kBlockSize);
        const size_t offset = static_cast<size_t>(readPos_ % kBlockSize);
        const size_t n = std::min({count - done, kBlockSize - offset,
                                   static_cast<size_t>(writePos_ - readPos_)});
        std::memcpy(out + done, blocks_[index].get() + offset, n);
        readPos_ += n;
        done += n;
        ReleaseHeadLocked();
    }
    return done;
}

char TQueue::ReadChar()
{
    std::unique_lock lock(mutex_);
    WaitReadable(lock);
    char c = 0;
    CopyOutLocked(&c, 1);
    return c;
}

char TQueue::PeekChar()
{
    std::unique_lock lock(mutex_);
    WaitReadable(lock);
    const size_t index = static_cast<size_t>((readPos_ - headPos_) / kBlockSize);
    return blocks_[index][static_cast<size_t>(readPos_ % kBlockSize)];
}

std::string TQueue::ReadUntil(std::string_view terminators)
{
    std::string s;
    ReadUntilAtMost(s, terminators, std::string::npos);
    return s;
}

bool TQueue::ReadUntilAtMost(std::string& out, std::string_view terminators, size_t limit)
{
    CheckNotOwner("TQueue::ReadUntil");
    size_t taken = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (taken >= limit)
            return false;
        WaitReadable(lock);
        // Scan what is queued block by block, taking everything before a terminator.
        while (readPos_ < writePos_ && taken < limit) {
            const size_t index = static_cast<size_t>((readPos_ - headPos_) / kBlockSize);
            const size_t offset = static_cast<size_t>(readPos_ % kBlockSize);
            const size_t n = std::min({kBlockSize - offset, static_cast<size_t>(writePos_ - readPos_), limit - taken});
            const std::string_view chunk(blocks_[index].get() + offset, n);
            const size_t stop = chunk.find_first_of(terminators);
            const size_t take = stop == std::string_view::npos ? n : stop;
            out.append(chunk.data(), take);
            taken += take;
            readPos_ += take;
            ReleaseHeadLocked();
            if (stop != std::string_view::npos)
                return true;
        }
    }
}

uint64_t TQueue::SkipUntil(std::string_view terminators)
{
    // In slices, so that nothing longer than one slice is ever held.
    constexpr size_t kSlice = 4096;
    uint64_t skipped = 0;
    std::string scratch;
    for (;;) {
        scratch.clear();
        const bool ended = ReadUntilAtMost(scratch, terminators, kSlice);
        skipped += scratch.size();
        if (ended)
            return skipped;
    }
}

void TQueue::ReadExact(std::string& out, size_t count)
{
    std::unique_lock lock(mutex_);
    while (count > 0) {
        WaitReadable(lock);
        const size_t n = std::min(count, static_cast<size_t>(writePos_ - readPos_));
        const size_t old = out.size();
        out.resize(old + n);
        CopyOutLocked(out.data() + old, n);
        count -= n;
    }
}

size_t TQueue::Read(char* buffer, size_t count)
{
    if (count == 0)
        return 0;
    std::lock_guard lock(mutex_);
    return CopyOutLocked(buffer, count);
}

size_t TQueue::Count()
{
    std::lock_guard lock(mutex_);
    return UnreadLocked();
}

bool TQueue::WaitForCount(size_t count, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    if (staleReader_)
        GiveUpLocked();
    if (UnreadLocked() >= count)
        return true;
    CheckNotOwner("TQueue wait");
    const uint64_t epoch = interruptEpoch_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (UnreadLocked() < count) {
        if (interrupted_ || interruptEpoch_ != epoch)
            GiveUpLocked();
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        WaitOnce(lock, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
    }
    if (interruptEpoch_ != epoch)
        GiveUpLocked();
    return true;
}

void TQueue::Interrupt()
{
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        ++interruptEpoch_;
    }
    dataCond_.notify_all();
    if (TQueueSource* source = source_.load())
        source->WakeFill();
}

bool TQueue::Interrupted()
{
    std::lock_guard lock(mutex_);
    return interrupted_;
}

void TQueue::Clear()
{
    std::lock_guard lock(mutex_);
    blocks_.clear();
    readPos_ = writePos_;
    headPos_ = writePos_ - writePos_ % kBlockSize;
    interrupted_ = false;
    if (seenEpoch_ != interruptEpoch_)
        staleReader_ = true;
}

bool TQueue::WaitForData(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const uint64_t wakes = wakeCount_;
    const uint64_t epoch = interruptEpoch_;
    auto ready = [&] { return UnreadLocked() > 0 || wakeCount_ != wakes || interruptEpoch_ != epoch; };
    if (timeoutMs < 0) {
        while (!ready())
            WaitOnce(lock, -1);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (auto now = std::chrono::steady_clock::now(); !ready() && now < deadline;
             now = std::chrono::steady_clock::now())
            WaitOnce(lock, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
    }
    // The receive loop waits here between messages: no message of an earlier
    // link is in progress, so any interrupt so far has been seen.
    seenEpoch_ = interruptEpoch_;
    staleReader_ = false;
    return UnreadLocked() > 0;
}

void TQueue::Wake()
{
    {
        std::lock_guard lock(mutex_);
        ++wakeCount_;
    }
    dataCond_.notify_all();
    if (TQueueSource* source = source_.load())
        source->WakeFill();
}

size_t TQueue::BlockCount()
{
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

size_t TQueue::PeakBlockCount()
{
    std::lock_guard lock(mutex_);
    return peakBlocks_;
}

} // namespace pellar
