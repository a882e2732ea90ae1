#include "core/events/TAsyncMsgThread.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/events/EventPorts.h"
#include "core/wire/WireTokens.h"
#include "core/reading/ClientReadingServices.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

constexpr int32_t kMe = 6;
const std::string kTime = "0 0 8 1 0 124 1 0 0";

// Records what the dispatcher asks of the windows.
struct ScriptedPorts : EventPorts {
    std::mutex mutex;
    std::vector<IncomingMessage> delivered;
    std::vector<std::string> status;
    std::vector<int> tray;
    int beeps = 0, fronts = 0, refreshes = 0;
    std::vector<std::string> presence;

    void DeliverMessage(const IncomingMessage& m) override { std::lock_guard l(mutex); delivered.push_back(m); }
    void AddSession(int32_t, int32_t session, const std::string& name, const std::string&, const std::string&,
                    const std::string&, const std::string&) override
    {
        std::lock_guard l(mutex);
        presence.push_back("add " + std::to_string(session) + " " + name);
    }
    void RemoveSession(int32_t, int32_t session, const std::string&) override
    {
        std::lock_guard l(mutex);
        presence.push_back("remove " + std::to_string(session));
    }
    void UpdatePresence(const std::string&, const std::string&, int32_t session, const std::string& doing,
                        const std::string& user) override
    {
        std::lock_guard l(mutex);
        presence.push_back("update " + std::to_string(session) + " " + doing + " " + user);
    }
    void ShowTray(TrayAlert state) override
    {
        std::lock_guard l(mutex);
        tray.push_back(static_cast<int>(state));
    }
    void SetStatusText(const std::string& text) override { std::lock_guard l(mutex); status.push_back(text); }
    void BringToFront() override { std::lock_guard l(mutex); ++fronts; }
    void Beep() override { std::lock_guard l(mutex); ++beeps; }
    void RefreshConferenceList() override { std::lock_guard l(mutex); ++refreshes; }
};

class AsyncDispatch : public ::testing::Test {
protected:
    AsyncDispatch() : client(test::QuietClientOptions()), reading(client), thread(client, gui, ports, reading)
    {
        client.SetCurrentPerson(kMe);
    }

    std::string NewTextLine(int32_t text, int32_t author, const std::string& items, int count)
    {
        return "4 15 " + std::to_string(text) + " " + kTime + " " + std::to_string(author) + " 2 20 0 " +
               std::to_string(count) + " { " + items + " } 0 *";
    }

    Client client;
    ClientReadingServices reading;
    InlineGuiThread gui;
    ScriptedPorts ports;
    TAsyncMsgThread thread;
};

TEST_F(AsyncDispatch, ServerNoticesRenamesAndUnknownNumbers)
{
    thread.DispatchLine("0 7");
    thread.DispatchLine("0 11");
    thread.DispatchLine("3 5 12 7HGeneral 10HDiscussion");
    thread.DispatchLine("2 16 1 2");
    thread.DispatchLine("garbage");
    EXPECT_EQ(ports.status, (std::vector<std::string>{"Database is synchronizing.",
                                                      "Miravo is full. Please log out if you are finished reading."}));
    EXPECT_GE(client.Cache().IsNameCached(12), 0);
    EXPECT_EQ(client.Cache().GetName(12), "Discussion");
    EXPECT_EQ(thread.MessageCount(), 5u);
    EXPECT_TRUE(ports.delivered.empty());
}

TEST_F(AsyncDispatch, MessageIsDeliveredWithNamesAndAlertedPerSettings)
{
    client.Cache().SetName(7, "Anna Berg");
    client.Config().WriteFlag("SoundPersMsg", true);
    client.Config().WriteFlag("TrayPersMsg", true);
    thread.DispatchLine("3 12 0 7 9Hone\ntwo!");
    ASSERT_EQ(ports.delivered.size(), 1u);
    EXPECT_EQ(ports.delivered[0].recipientName, "Everyone");
    EXPECT_EQ(ports.delivered[0].senderName, "Anna Berg");
    EXPECT_EQ(ports.delivered[0].text, "one\r\ntwo!");
    EXPECT_EQ(ports.beeps, 0);  // to everyone is not personal
    EXPECT_TRUE(ports.tray.empty());

    client.Cache().SetName(kMe, "Demo User");
    client.Config().WriteFlag("FocusAllMsg", true);
    thread.DispatchLine("3 12 6 7 2Hhi");
    ASSERT_EQ(ports.delivered.size(), 2u);
    EXPECT_EQ(ports.delivered[1].recipientName, "Demo User");
    EXPECT_EQ(ports.beeps, 1);
    EXPECT_EQ(ports.tray, std::vector<int>{2});
    EXPECT_EQ(ports.fronts, 1);
}

TEST_F(AsyncDispatch, NewTextUpdatesCachesAndUnreadFlagAndAlertsByPriority)
{
    // A cached parent and a membership of priority 150 in conference 12.
    auto parent = std::make_shared<TextStatType>();
    client.Cache().PutTextStat(100, parent);
    auto membership = std::make_shared<TMiravoMembership>(12, &client.Cache());
    membership->SetPriority(150);
    client.Cache().PutMembership(membership);
    client.Config().WriteFlag("TrayPriText", true);
    client.Config().WriteString("TrayPriTextLvl", "149");
    client.Config().WriteFlag("SoundPriText", true);  // level stays 255: no beep

    const CacheVersion before = client.Cache().Version();
    thread.DispatchLine(NewTextLine(101, 7, "0 12 6 5 2 100", 3));
    // The parent changed where it lies: lists built from it are built again.
    EXPECT_NE(client.Cache().Version().changes, before.changes);
    ASSERT_TRUE(client.Cache().IsTextStatCached(101));
    EXPECT_EQ(client.Cache().GetTextStat(101)->Author(), 7);
    ASSERT_EQ(parent->MiscInfoCount(), 1);
    const auto* link = dynamic_cast<const TMiscInfoCommIn*>(parent->MiscInfo(0).get());
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->textNo, 101);
    EXPECT_TRUE(membership->MayHaveUnread());
    EXPECT_TRUE(membership->Changed());
    EXPECT_EQ(client.Cache().GetConference(12)->GlobalOf(5, true), 101);
    EXPECT_EQ(ports.tray, std::vector<int>{1});
    EXPECT_EQ(ports.beeps, 0);
    EXPECT_EQ(ports.refreshes, 1);

    // At priority 149 the level is not exceeded; one's own text never alerts.
    membership->SetPriority(149);
    thread.DispatchLine(NewTextLine(102, 7, "0 12 6 6", 2));
    membership->SetPriority(200);
    thread.DispatchLine(NewTextLine(103, kMe, "0 12 6 7 4 101", 3));
    EXPECT_EQ(ports.tray, std::vector<int>{1});
    EXPECT_EQ(ports.refreshes, 3);
    // The footnote link reached the cached text 101.
    const auto kids = client.Cache().GetTextStat(101)->MiscInfos();
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_NE(dynamic_cast<const TMiscInfoFootIn*>(kids[2].get()), nullptr);
    // An uncached parent is left alone, not fetched.
    thread.DispatchLine(NewTextLine(104, 7, "2 555", 1));
    EXPECT_FALSE(client.Cache().IsTextStatCached(555));
}

TEST_F(AsyncDispatch, PresenceIsStoredAndReportedAndLogOffReachesThePort)
{
    client.Cache().SetName(7, "Anna Berg");
    client.Cache().SetName(12, "General");
    thread.DispatchLine("5 6 7 12 33 4Hread 11Hanna@local");
    EXPECT_EQ(thread.LastPresence().session, 33);
    EXPECT_EQ(thread.LastPresence().userName, "anna@local");
    thread.DispatchLine("2 13 7 33");
    thread.JoinNoticeThreads();
    EXPECT_EQ(ports.presence, (std::vector<std::string>{"update 33 read anna@local", "remove 33"}));
    EXPECT_EQ(ports.status, std::vector<std::string>{"Anna Berg logged off."});
}

TEST_F(AsyncDispatch, LinesQueuedWhileDisconnectingAreDroppedUnhandled)
{
    thread.Start();
    client.DisconnectingEvent().SetEv();
    client.AsyncMessages().Add("0 7");
    client.AsyncMessages().Add("3 5 12 1Ha 1Hb");
    client.ConnectedEvent().SetEv();
    thread.SetEnabled(true);
    test::WaitUntil([&] { return !thread.Enabled() && client.AsyncMessages().Count() == 0; }, 10000);
    EXPECT_FALSE(thread.Enabled());
    EXPECT_EQ(client.AsyncMessages().Count(), 0);

    // Connected again: the next line is handled.
    client.DisconnectingEvent().ResetEv();
    client.AsyncMessages().Add("0 7");
    thread.SetEnabled(true);
    test::WaitUntil([&] { return thread.MessageCount() > 0; }, 10000);
    thread.Stop();
    client.ConnectedEvent().ResetEv();
    EXPECT_EQ(thread.MessageCount(), 1u);
    EXPECT_EQ(ports.status, std::vector<std::string>{"Database is synchronizing."});
    EXPECT_LT(client.Cache().IsNameCached(12), 0);
}

// Records, in one list, what reaches the windows and which texts are
// fetched ahead; a fetch brings the text's body into the cache.
struct OrderPorts : ScriptedPorts {
    std::vector<std::string> effects;
    void ShowTray(TrayAlert state) override { effects.push_back("tray " + std::to_string(static_cast<int>(state))); }
    void Beep() override { effects.push_back("beep"); }
    void Notify(const AlertNotice& n) override
    {
        effects.push_back("notify " + std::to_string(n.text) + " " + n.senderName + ": " + n.firstLine);
    }
    void RefreshConferenceList() override { effects.push_back("refresh"); }
};

class FetchRecordingServices : public ClientReadingServices {
public:
    FetchRecordingServices(Client& client, std::vector<std::string>& effects)
        : ClientReadingServices(client), client_(client), effects_(effects)
    {
    }
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        effects_.push_back("fetch " + std::to_string(text));
        if (text == failing)
            throw std::runtime_error("link lost");
        client_.Cache().PutText(text, std::make_shared<TMiravoText>(text, "Lunch at " + std::to_string(text) + "\nbody"));
        return ClientReadingServices::GetTextStat(text);
    }

    int32_t failing = 0;  // its fetch throws, as a lost link does

private:
    Client& client_;
    std::vector<std::string>& effects_;
};

class AsyncAlertOrder : public ::testing::Test {
protected:
    AsyncAlertOrder()
        : client(test::QuietClientOptions()), reading(client, ports.effects), thread(client, gui, ports, reading)
    {
        client.SetCurrentPerson(kMe);
        client.Cache().SetName(7, "Anna Berg");
        auto membership = std::make_shared<TMiravoMembership>(12, &client.Cache());
        membership->SetPriority(150);
        client.Cache().PutMembership(membership);
        for (const char* kind : {"Tray", "Sound"}) {
            client.Config().WriteFlag(std::string(kind) + "PriText", true);
            client.Config().WriteString(std::string(kind) + "PriTextLvl", "149");
        }
    }

    static std::string NewText(int32_t text, int32_t author)
    {
        return "4 15 " + std::to_string(text) + " " + kTime + " " + std::to_string(author) + " 2 20 0 2 { 0 12 6 " +
               std::to_string(text) + " } 0 *";
    }

    Client client;
    OrderPorts ports;
    FetchRecordingServices reading;
    InlineGuiThread gui;
    TAsyncMsgThread thread;
};

// The icon and the beep come before the text is fetched ahead; the notice,
// which names the subject, once the fetch has brought it; the list's refresh
// last.
TEST_F(AsyncAlertOrder, AlertsComeBeforeTheFetchAheadAndTheNoticeAfterIt)
{
    thread.DispatchLine(NewText(101, 7));
    EXPECT_EQ(ports.effects, (std::vector<std::string>{"tray 1", "beep", "fetch 101",
                                                       "notify 101 Anna Berg: Lunch at 101", "refresh"}));

    // A batch: every alert of it (a personal message's among them, in its
    // place), then the fetches, then the texts' notices.
    ports.effects.clear();
    thread.DispatchBatch({NewText(102, 7), "3 12 6 7 2Hhi", NewText(103, 7)}, AsyncOverflow{});
    EXPECT_EQ(ports.effects,
              (std::vector<std::string>{"tray 1", "beep", "tray 2", "notify 0 Anna Berg: hi", "tray 1", "beep",
                                        "fetch 102", "fetch 103", "notify 102 Anna Berg: Lunch at 102",
                                        "notify 103 Anna Berg: Lunch at 103", "refresh"}));
    ASSERT_EQ(ports.delivered.size(), 1u);

    // A fetch ahead that fails keeps the rest: the notice without a subject.
    ports.effects.clear();
    reading.failing = 105;
    EXPECT_NO_THROW(thread.DispatchLine(NewText(105, 7)));
    EXPECT_EQ(ports.effects,
              (std::vector<std::string>{"tray 1", "beep", "fetch 105", "notify 105 Anna Berg: ", "refresh"}));

    // One's own text alerts nobody (it is marked read instead).
    ports.effects.clear();
    thread.DispatchLine(NewText(104, kMe));
    ASSERT_FALSE(ports.effects.empty());
    EXPECT_EQ(ports.effects.back(), "refresh");
    for (const std::string& effect : ports.effects)
        EXPECT_TRUE(effect.rfind("tray", 0) != 0 && effect != "beep" && effect.rfind("notify", 0) != 0) << effect;
}

// Runs hand-overs inline and counts them.
struct CountingGuiThread : GuiThread {
    std::atomic<int> handOvers{0};
    void invokeAndWait(std::function<void()> fn) override
    {
        ++handOvers;
        if (fn)
            fn();
    }
};

struct DropRecordingPorts : ScriptedPorts {
    std::vector<std::string> dropped;
    void MessagesDropped(const std::string& notice) override
    {
        std::lock_guard l(mutex);
        dropped.push_back(notice);
    }
};

class AsyncBatches : public ::testing::Test {
protected:
    AsyncBatches() : client(test::QuietClientOptions()), reading(client), thread(client, gui, ports, reading)
    {
        client.SetCurrentPerson(kMe);
        client.Cache().SetName(7, "Anna Berg");
        client.Cache().SetName(12, "General");
    }

    // Queues count copies of line, runs the loop until it has handled them
    // all, and stops it.
    void RunThrough(const std::string& line, int count)
    {
        for (int i = 0; i < count; ++i)
            client.AsyncMessages().Add(line);
        client.ConnectedEvent().SetEv();
        thread.Start();
        thread.SetEnabled(true);
        test::WaitUntil([&] { return thread.MessageCount() == static_cast<uint32_t>(count); }, 10000);
        thread.Stop();
        client.ConnectedEvent().ResetEv();
    }

    Client client;
    ClientReadingServices reading;
    CountingGuiThread gui;
    DropRecordingPorts ports;
    TAsyncMsgThread thread;
};

TEST_F(AsyncBatches, ABatchIsOneHandOverWithOneRefreshAndTheLastPresenceOfEachSession)
{
    const std::string text = " 0 0 8 1 0 124 1 0 0 7 2 20 0 2 { 0 12 6 5 } 0 *";
    thread.DispatchBatch({"4 15 101" + text, "5 6 7 12 33 4Hread 1Ha", "3 12 0 7 5Hfirst", "4 15 102" + text,
                          "5 6 7 12 44 4Hidle 1Hb", "5 6 7 12 33 5Hwrite 1Ha", "3 12 6 7 6Hsecond"},
                         AsyncOverflow{});
    EXPECT_EQ(gui.handOvers.load(), 1);
    EXPECT_EQ(ports.refreshes, 1);
    EXPECT_EQ(ports.presence, (std::vector<std::string>{"update 33 write a", "update 44 idle b"}));
    ASSERT_EQ(ports.delivered.size(), 2u);
    EXPECT_EQ(ports.delivered[0].text, "first");
    EXPECT_EQ(ports.delivered[1].text, "second");
    EXPECT_EQ(thread.MessageCount(), 7u);
    // Nothing to show: no hand-over at all.
    thread.DispatchBatch({}, AsyncOverflow{});
    EXPECT_EQ(gui.handOvers.load(), 1);
}

TEST_F(AsyncBatches, DroppedMessagesAreToldWithTheirCountAndSender)
{
    AsyncOverflow overflow;
    overflow.messages[7].broadcast = 1200;
    overflow.messages[7].personal = 3;
    overflow.otherSenders.broadcast = 1;
    overflow.newTexts = 40;
    overflow.refreshConferences = {12};
    thread.DispatchBatch({}, overflow);
    EXPECT_EQ(gui.handOvers.load(), 1);
    EXPECT_EQ(ports.dropped,
              (std::vector<std::string>{
                  "*** 1200 messages from Anna Berg to everyone were dropped: they came faster than they could be shown.",
                  "*** 3 messages from Anna Berg were dropped: they came faster than they could be shown.",
                  "*** 1 message from other senders to everyone was dropped: they came faster than they could be "
                  "shown."}));
    // Forty folded new texts: one refresh.
    EXPECT_EQ(ports.refreshes, 1);
}

TEST_F(AsyncBatches, TheLoopHandsOverOncePerBatchNotOncePerMessage)
{
    constexpr int kMessages = 1500;
    RunThrough("3 12 0 7 1Hx", kMessages);
    EXPECT_EQ(thread.MessageCount(), static_cast<uint32_t>(kMessages));
    EXPECT_EQ(ports.delivered.size(), static_cast<size_t>(kMessages));
    EXPECT_LE(gui.handOvers.load(), kMessages / static_cast<int>(TAsyncMsgThread::kBatchLines) + 1);
}

// Long messages go over in batches of a bounded size, so that laying them
// out never takes the GUI thread for long; none is lost on the way.
TEST_F(AsyncBatches, LongMessagesAreHandedOverABoundedNumberOfBytesAtATime)
{
    constexpr int kMessages = 60;
    const std::string text(2000, 'w');
    RunThrough("3 12 0 7 2000H" + text, kMessages);
    ASSERT_EQ(ports.delivered.size(), static_cast<size_t>(kMessages));
    EXPECT_EQ(ports.delivered.back().text, text);
    // Each batch holds at most the byte bound and one line past it.
    const int perBatch = static_cast<int>(TAsyncMsgThread::kBatchBytes / 2000) + 1;
    EXPECT_GE(gui.handOvers.load(), (kMessages + perBatch - 1) / perBatch);
}

} // namespace
} // namespace pellar
