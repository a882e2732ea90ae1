// A flood of asynchronous messages: from a hostile peer that sends them
// without end, and from a second session of the reference server that
// broadcasts as fast as it can. The client's list stays bounded, the last
// presence of a session is the one shown, and what was dropped is told with
// its count and sender, so that nothing disappears unseen.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <regex>
#include <thread>

#include "core/events/EventPorts.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/reading/ClientReadingServices.h"
#include "core/base/GuiThread.h"
#include "support/ClientHarness.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

struct FloodPorts : EventPorts {
    mutable std::mutex mutex;
    uint64_t delivered = 0;
    std::string lastPresence;
    std::vector<std::string> dropped;
    int refreshes = 0;

    void DeliverMessage(const IncomingMessage&) override { std::lock_guard l(mutex); ++delivered; }
    void AddSession(int32_t, int32_t, const std::string&, const std::string&, const std::string&,
                    const std::string&, const std::string&) override {}
    void RemoveSession(int32_t, int32_t, const std::string&) override {}
    void UpdatePresence(const std::string&, const std::string&, int32_t session, const std::string& doing,
                        const std::string&) override
    {
        std::lock_guard l(mutex);
        lastPresence = std::to_string(session) + " " + doing;
    }
    void ShowTray(TrayAlert) override {}
    void SetStatusText(const std::string&) override {}
    void BringToFront() override {}
    void Beep() override {}
    void RefreshConferenceList() override { std::lock_guard l(mutex); ++refreshes; }
    void MessagesDropped(const std::string& notice) override { std::lock_guard l(mutex); dropped.push_back(notice); }

    // Messages delivered plus those the notices say were dropped.
    uint64_t Accounted() const
    {
        std::lock_guard l(mutex);
        uint64_t sum = delivered;
        static const std::regex count(R"(^\*\*\* (\d+) messages? from )");
        for (const std::string& line : dropped) {
            std::smatch m;
            if (std::regex_search(line, m, count))
                sum += std::stoull(m[1].str());
        }
        return sum;
    }
    template <typename Fn>
    auto With(Fn fn) const
    {
        std::lock_guard l(mutex);
        return fn();
    }
};

// A GUI thread that is busy: every hand-over waits until the gate opens.
class GatedGuiThread : public GuiThread {
public:
    void invokeAndWait(std::function<void()> fn) override
    {
        std::unique_lock lock(mutex_);
        cond_.wait(lock, [this] { return open_; });
        lock.unlock();
        if (fn)
            fn();
    }
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        cond_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    bool open_ = false;
};

std::string Presence(int session, const std::string& doing)
{
    return ":5 6 7 0 " + std::to_string(session) + " " + std::to_string(doing.size()) + "H" + doing + " 4Hanna\n";
}

TEST(AsyncFloodFromAHostilePeer, TheListStaysBoundedTheLastPresenceCountsAndDropsAreTold)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    h.client.Cache().SetName(7, "Anna Berg");
    ClientReadingServices reading(h.client);
    GatedGuiThread gui;
    FloodPorts ports;
    TAsyncMsgThread dispatcher(h.client, gui, ports, reading);
    dispatcher.SetEnabled(true);
    dispatcher.Start();

    // Without end, as far as the client can tell: the peer stops only when told.
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> messagesSent{0};
    std::atomic<int> lastActivity{0};
    std::thread flood([&] {
        const std::string message = ":3 12 0 7 " + std::to_string(300) + "H" + std::string(300, 'm') + "\n";
        for (int round = 0; !stop; ++round) {
            std::string chunk;
            for (int i = 0; i < 50; ++i)
                chunk += message;
            chunk += Presence(33, "step" + std::to_string(round));
            lastActivity = round;
            h.peer.send(chunk);
            messagesSent += 50;
        }
    });
    const TAsyncList& list = h.client.AsyncMessages();
    const AsyncListLimits limits = list.Limits();
    size_t mostLines = 0, mostBytes = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
        mostLines = std::max<size_t>(mostLines, static_cast<size_t>(h.client.AsyncMessages().Count()));
        mostBytes = std::max(mostBytes, h.client.AsyncMessages().Bytes());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop = true;
    flood.join();
    EXPECT_GE(messagesSent.load(), 10 * limits.maxLines) << "the flood was not one";
    EXPECT_LE(mostLines, limits.maxLines);
    EXPECT_LE(mostBytes, limits.maxBytes);

    // The GUI thread gets to it: everything is shown or told as dropped.
    gui.Open();
    EXPECT_TRUE(WaitUntil([&] { return ports.Accounted() == messagesSent.load(); }, 20000))
        << ports.Accounted() << " of " << messagesSent.load();
    const auto dropped = ports.With([&] { return ports.dropped; });
    ASSERT_FALSE(dropped.empty());
    EXPECT_THAT(dropped.front(), ::testing::MatchesRegex(R"(\*\*\* [0-9]+ messages from Anna Berg to everyone were dropped: .*)"));
    EXPECT_TRUE(WaitUntil([&] {
        return ports.With([&] { return ports.lastPresence; }) == "33 step" + std::to_string(lastActivity.load());
    }));
    dispatcher.Stop();
}

class AsyncFloodFromTheServer : public SessionFixture {};

TEST_F(AsyncFloodFromTheServer, ASessionBroadcastingAsFastAsItCanIsShownOrToldAsDropped)
{
    miravod::ServerOptions options;
    options.passwordIterations = 1000;
    // The server's own rate per sender would stop this flood at its door;
    // what is tried here is the client against a server that lets it through.
    options.messageRate = {};
    options.broadcastRate = {};
    StartServer(options);
    SessionClient me, anna;
    ASSERT_TRUE(LogOnDirect(me));
    ASSERT_TRUE(LogOnDirect(anna, "Anna Berg"));
    ClientReadingServices reading(me.client);
    GatedGuiThread gui;
    FloodPorts ports;
    TAsyncMsgThread dispatcher(me.client, gui, ports, reading);
    dispatcher.SetEnabled(true);
    dispatcher.Start();

    // Pipelined: no send waits for the one before.
    constexpr int kMessages = 6000;
    for (int i = 0; i < kMessages; ++i)
        anna.client.Transactions().Execute(std::make_unique<TGenericTrans>(
            anna.client.Protocol(), "Send message", requests::SendMessage(0, "flood " + std::to_string(i))));
    TGenericTrans last(anna.client.Protocol(), "Send message", requests::SendMessage(0, "last"));
    ASSERT_TRUE(anna.client.Transactions().ExecuteAndWait(last));
    const size_t limit = me.client.AsyncMessages().Limits().maxLines;
    EXPECT_TRUE(WaitUntil([&] { return static_cast<size_t>(me.client.AsyncMessages().Count()) >= limit; }, 10000));
    EXPECT_LE(static_cast<size_t>(me.client.AsyncMessages().Count()), limit);

    gui.Open();
    EXPECT_TRUE(WaitUntil([&] { return ports.Accounted() == kMessages + 1; }, 20000))
        << ports.Accounted() << " of " << kMessages + 1;
    // One notice per time the list overflowed: messages still arriving while
    // the first batches are shown may overflow it once more.
    const auto dropped = ports.With([&] { return ports.dropped; });
    ASSERT_GE(dropped.size(), 1u);
    for (const std::string& notice : dropped)
        EXPECT_THAT(notice, ::testing::MatchesRegex(R"(\*\*\* [0-9]+ messages? from Anna Berg to everyone (was|were) dropped: .*)"));
    dispatcher.Stop();
}

} // namespace
} // namespace pellar::test
