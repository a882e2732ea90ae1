#include "core/sync/TQueue.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <string>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

using namespace std::chrono_literals;

// Runs fn on a thread that is not the queue's owner.
template <typename Fn>
auto OnReader(Fn fn)
{
    return std::async(std::launch::async, fn);
}

TEST(TQueue, PeekLeavesAndReadTakesWhatIsQueuedWithoutWaiting)
{
    TQueue q;
    q.PutBytes("abc");
    EXPECT_EQ(q.PeekChar(), 'a');
    EXPECT_EQ(q.ReadChar(), 'a');
    EXPECT_EQ(q.Count(), 2u);
    char buf[8] = {};
    EXPECT_EQ(q.Read(buf, sizeof buf), 2u);
    EXPECT_EQ(std::string(buf, 2), "bc");
    EXPECT_EQ(q.Read(buf, sizeof buf), 0u) << "Read must never wait";
}

TEST(TQueue, ReadUntilLeavesTerminatorQueuedAndCrossesBlocks)
{
    TQueue q;
    const std::string big(TQueue::kBlockSize * 2 + 100, 'x');
    q.PutBytes(big + " rest\n");
    auto s = OnReader([&] { return q.ReadUntil(" \n"); }).get();
    EXPECT_EQ(s, big);
    EXPECT_EQ(q.ReadChar(), ' ');
    EXPECT_EQ(OnReader([&] { return q.ReadUntil("\n"); }).get(), "rest");
    EXPECT_EQ(q.ReadChar(), '\n');
    EXPECT_EQ(q.Count(), 0u);
}

TEST(TQueue, ReadUntilRefusesToRunOnTheOwnerThread)
{
    TQueue q;
    q.PutBytes("abc\n");
    EXPECT_THROW(q.ReadUntil("\n"), std::logic_error);
    EXPECT_EQ(q.Count(), 4u) << "a refused read consumes nothing";
}

TEST(TQueue, ReadUntilWaitsForBytesThatArriveLater)
{
    TQueue q;
    auto reader = OnReader([&] { return q.ReadUntil("\n"); });
    for (char c : std::string("=12 x"))
        q.PutByte(c);
    EXPECT_EQ(reader.wait_for(50ms), std::future_status::timeout) << "returned before the terminator came";
    q.PutBytes("yz\n");
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), "=12 xyz");
}

TEST(TQueue, InterruptReleasesABlockedReadUntilAndLaterWaits)
{
    TQueue q;
    q.PutBytes("no terminator");
    auto reader = OnReader([&] { return q.ReadUntil("\n"); });
    q.Interrupt();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_THROW(reader.get(), TWaitforInterruptedException);
    // Still interrupted: a further blocking read gives up at once ...
    EXPECT_THROW(OnReader([&] { return q.ReadChar(); }).get(), TWaitforInterruptedException);
    // ... until a new connection clears the queue.
    q.Clear();
    EXPECT_EQ(q.Count(), 0u);
    q.PutBytes("ok\n");
    EXPECT_EQ(OnReader([&] { return q.ReadUntil("\n"); }).get(), "ok");
}

// The link drops while the receive thread is inside a message and the next
// link is set up before that thread runs again: the new link's bytes must not
// be read as the rest of the old message.
TEST(TQueue, MessageInProgressAcrossAnUnseenInterruptAndClearFails)
{
    TQueue q;
    q.PutBytes("12Hab");
    std::string body;
    EXPECT_EQ(OnReader([&] { return q.ReadUntil("H"); }).get(), "12");
    OnReader([&] { q.ReadExact(body, 3); return 0; }).get();
    q.Interrupt();
    q.Clear();
    q.PutBytes("MIRAVO\n");
    EXPECT_THROW(OnReader([&] { q.ReadExact(body, 10); return 0; }).get(), TWaitforInterruptedException);
    EXPECT_EQ(OnReader([&] { return q.ReadUntil("\n"); }).get(), "MIRAVO");
}

// Waiting for data between messages sees the interrupt, so a reader that
// starts afresh after Clear() reads the new bytes without a spurious failure.
TEST(TQueue, ReaderBetweenMessagesIsNotFailedByAnEarlierInterrupt)
{
    TQueue q;
    q.Interrupt();
    q.Clear();
    q.PutBytes("MIRAVO\n");
    ASSERT_TRUE(q.WaitForData(0));
    EXPECT_EQ(OnReader([&] { return q.ReadUntil("\n"); }).get(), "MIRAVO");
}

TEST(TQueue, ReadExactTakesOnlyWhatIsAskedFor)
{
    TQueue q;
    auto reader = OnReader([&] {
        std::string out = "pre:";
        q.ReadExact(out, 5);
        return out;
    });
    q.PutBytes("ab");
    q.PutBytes("cdefg");
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), "pre:abcde");
    EXPECT_EQ(q.Count(), 2u);
}

TEST(TQueue, ReadExactOfAHugeCountGivesUpOnInterruptWithoutReservingIt)
{
    TQueue q;
    auto reader = OnReader([&] {
        std::string out;
        q.ReadExact(out, size_t{1} << 40);
        return out;
    });
    q.PutBytes("tiny");
    q.Interrupt();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_THROW(reader.get(), TWaitforInterruptedException);
}

TEST(TQueue, WaitForDataReturnsOnWake)
{
    TQueue q;
    auto waiter = OnReader([&] { return q.WaitForData(-1); });
    EXPECT_EQ(waiter.wait_for(20ms), std::future_status::timeout);
    q.Wake();
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(waiter.get());
    q.PutByte('x');
    EXPECT_TRUE(q.WaitForData(0));
}

TEST(TQueue, MemoryFollowsTheUnreadAmountNotTheTraffic)
{
    // 100 MB pass through while the reader keeps up; the writer never lets
    // more than 16 KiB wait unread, so the blocks held must stay small.
    TQueue q;
    constexpr size_t kTotal = 100u * 1000 * 1000;
    constexpr size_t kChunk = 16383;
    std::mutex m;
    std::condition_variable cv;
    size_t consumed = 0;
    auto reader = OnReader([&] {
        std::vector<char> buf(65536);
        size_t total = 0;
        uint8_t expect = 0;
        bool ok = true;
        while (total < kTotal) {
            if (!q.WaitForData(5000))
                return false;
            const size_t n = q.Read(buf.data(), buf.size());
            for (size_t i = 0; i < n; ++i)
                ok &= static_cast<uint8_t>(buf[i]) == expect++;
            total += n;
            {
                std::lock_guard lock(m);
                consumed = total;
            }
            cv.notify_one();
        }
        return ok;
    });
    std::vector<char> chunk(kChunk);
    uint8_t next = 0;
    size_t written = 0;
    while (written < kTotal) {
        const size_t n = std::min(kChunk, kTotal - written);
        for (size_t i = 0; i < n; ++i)
            chunk[i] = static_cast<char>(next++);
        {
            std::unique_lock lock(m);
            ASSERT_TRUE(cv.wait_for(lock, 10s, [&] { return written - consumed <= 16384; }));
        }
        q.PutBuffer(chunk.data(), n);
        written += n;
    }
    ASSERT_EQ(reader.wait_for(30s), std::future_status::ready);
    EXPECT_TRUE(reader.get()) << "bytes came out changed or out of order";
    EXPECT_LE(q.PeakBlockCount() * TQueue::kBlockSize, 64u * 1024);
    EXPECT_LE(q.BlockCount(), 1u);
}

// A source that hands out scripted chunks, one per Fill, and otherwise
// sleeps until it is woken; it counts on which threads it was asked.
class ScriptedSource : public TQueueSource {
public:
    explicit ScriptedSource(TQueue& q) : q_(q) {}
    void Add(std::string chunk)
    {
        {
            std::lock_guard lock(m_);
            chunks_.push_back(std::move(chunk));
        }
        cond_.notify_all();
    }
    void Fill(int timeoutMs) override
    {
        std::unique_lock lock(m_);
        ++fills_;
        fillThread_ = std::this_thread::get_id();
        auto ready = [&] { return !chunks_.empty() || woken_; };
        if (timeoutMs < 0)
            cond_.wait(lock, ready);
        else
            cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
        woken_ = false;
        if (chunks_.empty())
            return;
        std::string chunk = std::move(chunks_.front());
        chunks_.pop_front();
        lock.unlock();
        q_.PutBytes(chunk);
    }
    void WakeFill() override
    {
        {
            std::lock_guard lock(m_);
            woken_ = true;
        }
        cond_.notify_all();
    }
    int Fills()
    {
        std::lock_guard lock(m_);
        return fills_;
    }
    std::thread::id FillThread()
    {
        std::lock_guard lock(m_);
        return fillThread_;
    }

private:
    TQueue& q_;
    std::mutex m_;
    std::condition_variable cond_;
    std::deque<std::string> chunks_;
    bool woken_ = false;
    int fills_ = 0;
    std::thread::id fillThread_;
};

// With a source attached the reader fetches bytes itself, chunk by chunk, on
// its own thread; an interrupt still gets it out of a wait inside the source.
TEST(TQueue, ReaderPullsFromItsSourceAndAnInterruptReachesItThere)
{
    TQueue q;
    ScriptedSource source(q);
    q.SetSource(&source);
    source.Add("=12 ab");
    source.Add("c de\n");
    std::thread::id readerId;
    auto reader = OnReader([&] {
        readerId = std::this_thread::get_id();
        return q.ReadUntil("\n");
    });
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), "=12 abc de");
    EXPECT_EQ(source.FillThread(), readerId);
    EXPECT_GE(source.Fills(), 2);
    EXPECT_EQ(q.ReadChar(), '\n');

    auto waiting = OnReader([&] { return q.ReadChar(); });
    EXPECT_EQ(waiting.wait_for(50ms), std::future_status::timeout);
    q.Interrupt();
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready) << "the interrupt did not reach the source";
    EXPECT_THROW(waiting.get(), TWaitforInterruptedException);

    // Between messages the receive loop's wait returns on a wake, too.
    q.Clear();
    auto between = OnReader([&] { return q.WaitForData(-1); });
    EXPECT_EQ(between.wait_for(50ms), std::future_status::timeout);
    q.Wake();
    ASSERT_EQ(between.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(between.get());
    q.SetSource(nullptr);
}

// A source that holds the reader inside Fill until the test lets it go, deaf
// to WakeFill: a reader thread that is not scheduled for a while.
class HeldSource : public TQueueSource {
public:
    void Fill(int) override
    {
        std::unique_lock lock(m_);
        entered_ = true;
        cond_.notify_all();
        cond_.wait(lock, [&] { return open_; });
        entered_ = open_ = false;
    }
    void WakeFill() override {}
    bool WaitEntered()
    {
        std::unique_lock lock(m_);
        return cond_.wait_for(lock, 5s, [&] { return entered_; });
    }
    void Release()
    {
        {
            std::lock_guard lock(m_);
            open_ = true;
        }
        cond_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cond_;
    bool entered_ = false, open_ = false;
};

// The link goes down and the next one sends its greeting while the reader
// still waits inside a message of the old link: the wait fails, and the new
// bytes are left for the next message instead of being taken as the rest.
TEST(TQueue, AWaitThatSpansALinkLossFailsThoughTheNextLinksBytesAreThere)
{
    const std::vector<std::pair<const char*, std::function<bool(TQueue&)>>> waits = {
        {"a read", [](TQueue& q) { return q.ReadChar() != 0; }},
        {"a wait for a count", [](TQueue& q) { return q.WaitForCount(4, 10000); }},
    };
    for (const auto& [name, wait] : waits) {
        SCOPED_TRACE(name);
        TQueue q;
        HeldSource held;
        q.SetSource(&held);
        auto reader = OnReader([&] { return wait(q); });
        ASSERT_TRUE(held.WaitEntered());
        q.Interrupt();
        q.Clear();
        q.PutBytes("MIRAVO\n");
        held.Release();
        ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
        EXPECT_THROW(reader.get(), TWaitforInterruptedException);
        q.SetSource(nullptr);
        EXPECT_EQ(OnReader([&] { return q.ReadUntil("\n"); }).get(), "MIRAVO");
    }
}

} // namespace
} // namespace pellar
