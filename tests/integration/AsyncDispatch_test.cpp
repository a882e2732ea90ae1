// The asynchronous dispatch against the reference server: a second session
// posts texts and sends messages, a third logs on and off, and the first
// session's dispatcher carries it all to scripted windows.
#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "core/events/EventPorts.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/reading/ClientReadingServices.h"
#include "core/base/GuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

struct RecordingPorts : EventPorts {
    mutable std::mutex mutex;
    std::vector<IncomingMessage> delivered;
    std::vector<int> tray;
    std::vector<std::string> sessions, status;
    int beeps = 0, fronts = 0;

    void DeliverMessage(const IncomingMessage& m) override { std::lock_guard l(mutex); delivered.push_back(m); }
    void AddSession(int32_t person, int32_t session, const std::string& name, const std::string& client,
                    const std::string& account, const std::string&, const std::string&) override
    {
        std::lock_guard l(mutex);
        sessions.push_back("add " + std::to_string(person) + "/" + std::to_string(session) + " " + name + " [" +
                           client + "] " + account);
    }
    void RemoveSession(int32_t person, int32_t session, const std::string& name) override
    {
        std::lock_guard l(mutex);
        sessions.push_back("remove " + std::to_string(person) + "/" + std::to_string(session) + " " + name);
    }
    void UpdatePresence(const std::string&, const std::string&, int32_t, const std::string&,
                        const std::string&) override {}
    void ShowTray(TrayAlert state) override
    {
        std::lock_guard l(mutex);
        tray.push_back(static_cast<int>(state));
    }
    void SetStatusText(const std::string& t) override { std::lock_guard l(mutex); status.push_back(t); }
    void BringToFront() override { std::lock_guard l(mutex); ++fronts; }
    void Beep() override { std::lock_guard l(mutex); ++beeps; }
    void RefreshConferenceList() override {}

    template <typename Fn>
    auto With(Fn fn) const
    {
        std::lock_guard l(mutex);
        return fn();
    }
};

// Asynchronous work through a real server gets a generous deadline.
bool Eventually(const std::function<bool()>& done)
{
    return WaitUntil(done, 15000);
}

class AsyncDispatchTest : public SessionFixture {
protected:
    void SetUp() override
    {
        miravod::ServerOptions options;
        options.passwordIterations = 1000;
        StartServer(options);
        ASSERT_TRUE(LogOnDirect(me));
        reading = std::make_unique<ClientReadingServices>(me.client);
        dispatcher = std::make_unique<TAsyncMsgThread>(me.client, gui, ports, *reading);
        dispatcher->SetEnabled(true);
        dispatcher->Start();
        ASSERT_TRUE(LogOnDirect(anna, "Anna Berg"));
    }

    void TearDown() override
    {
        if (dispatcher)
            dispatcher->Stop();
    }

    // Posts a text as c; returns its number.
    int32_t Post(SessionClient& c, const std::string& misc, int pairs)
    {
        TGenericTrans create(c.client.Protocol(), "Create text",
                             requests::CreateText("Subject\nBody", std::to_string(pairs) + " { " + misc + " }", "0 { }"));
        if (!c.client.Transactions().ExecuteAndWait(create))
            return 0;
        size_t pos = 0;
        return ReadInt(create.ReplyLine(), pos);
    }

    bool SendMessage(SessionClient& c, int32_t recipient, const std::string& text)
    {
        TGenericTrans send(c.client.Protocol(), "Send message", requests::SendMessage(recipient, text));
        return c.client.Transactions().ExecuteAndWait(send);
    }

    // The demo user's conference of the given membership priority.
    int32_t ConferenceOfPriority(int32_t priority)
    {
        std::vector<int32_t> confs;
        me.client.Cache().ListMemberConferences(confs);
        for (int32_t c : confs) {
            if (me.client.Cache().GetMembership(c)->Priority() == priority)
                return c;
        }
        return 0;
    }

    SessionClient me, anna;
    InlineGuiThread gui;
    RecordingPorts ports;
    std::unique_ptr<ClientReadingServices> reading;
    std::unique_ptr<TAsyncMsgThread> dispatcher;
};

TEST_F(AsyncDispatchTest, NewTextsUpdateCachesUnreadFlagAndAlertByPriority)
{
    const int32_t general = ConferenceOfPriority(150);
    const int32_t music = ConferenceOfPriority(60);
    ASSERT_GT(general, 0);
    ASSERT_GT(music, 0);
    me.client.Config().WriteFlag("TrayPriText", true);
    me.client.Config().WriteString("TrayPriTextLvl", "100");
    auto membership = me.client.Cache().GetMembership(general);
    membership->SetMayHaveUnread(false);

    // Below the level: cached, no alert.
    const int32_t quiet = Post(anna, "0 " + std::to_string(music), 1);
    ASSERT_GT(quiet, 0);
    ASSERT_TRUE(Eventually([&] { return me.client.Cache().IsTextStatCached(quiet); }));

    const int32_t root = Post(anna, "0 " + std::to_string(general), 1);
    ASSERT_GT(root, 0);
    ASSERT_TRUE(Eventually([&] { return ports.With([&] { return !ports.tray.empty(); }); }));
    EXPECT_TRUE(me.client.Cache().IsTextStatCached(root));
    EXPECT_TRUE(membership->MayHaveUnread());
    EXPECT_EQ(ports.With([&] { return ports.tray; }), std::vector<int>{1});
    auto rootStatus = me.client.Cache().GetTextStat(root);
    ASSERT_TRUE(rootStatus);

    const int32_t comment = Post(anna, "0 " + std::to_string(general) + " 2 " + std::to_string(root), 2);
    ASSERT_GT(comment, 0);
    ASSERT_TRUE(Eventually([&] {
        bool linked = false;
        rootStatus->ForEachMiscInfo<TMiscInfoCommIn>([&](const TMiscInfoCommIn& in) {
            linked = linked || in.textNo == comment;
        });
        return linked;
    }));
    EXPECT_GE(dispatcher->MessageCount(), 3u);
}

TEST_F(AsyncDispatchTest, OwnTextRaisesNoAlertAndIsMarkedRead)
{
    const int32_t general = ConferenceOfPriority(150);
    me.client.Config().WriteFlag("TrayPriText", true);
    me.client.Config().WriteString("TrayPriTextLvl", "0");
    me.client.Config().WriteFlag("SoundPriText", true);
    me.client.Config().WriteString("SoundPriTextLvl", "0");
    const int32_t mine = Post(me, "0 " + std::to_string(general), 1);
    ASSERT_GT(mine, 0);
    auto membership = me.client.Cache().GetMembership(general);
    ASSERT_TRUE(Eventually([&] {
        auto stat = me.client.Cache().IsTextStatCached(mine) ? me.client.Cache().GetTextStat(mine) : nullptr;
        int32_t local = 0;
        if (stat)
            stat->ForEachMiscInfo<TMiscInfoNormal>([&](const TMiscInfoNormal& n) {
                if (n.confNo == general)
                    local = n.localNo;
            });
        return local > 0 && membership->IsRead(local);
    }));
    EXPECT_TRUE(ports.With([&] { return ports.tray.empty() && ports.beeps == 0; }));
}

TEST_F(AsyncDispatchTest, MessagesAreRoutedAndAlertedPerSettings)
{
    me.client.Config().WriteFlag("TrayPersMsg", true);
    me.client.Config().WriteFlag("SoundPersMsg", true);
    me.client.Config().WriteFlag("FocusAllMsg", true);
    const int32_t person = me.client.CurrentPerson();
    ASSERT_TRUE(SendMessage(anna, 0, "Hello all"));
    ASSERT_TRUE(Eventually([&] { return ports.With([&] { return ports.delivered.size() == 1; }); }));
    ASSERT_TRUE(SendMessage(anna, person, "Hello you\nsecond line"));
    ASSERT_TRUE(Eventually([&] { return ports.With([&] { return ports.fronts == 2; }); }));

    const auto delivered = ports.With([&] { return ports.delivered; });
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[0].recipient, 0);
    EXPECT_EQ(delivered[0].recipientName, "Everyone");
    EXPECT_EQ(delivered[0].senderName, "Anna Berg");
    EXPECT_EQ(delivered[1].recipientName, "Demo User");
    EXPECT_EQ(delivered[1].text, "Hello you\r\nsecond line");
    EXPECT_EQ(ports.With([&] { return ports.tray; }), std::vector<int>{2});
    EXPECT_EQ(ports.With([&] { return ports.beeps; }), 1);
}

TEST_F(AsyncDispatchTest, LogOnAndLogOffNoticesReachTheActiveUsersPort)
{
    SessionClient erik;
    ASSERT_TRUE(LogOnDirect(erik, "Erik Holm"));
    ASSERT_TRUE(Eventually([&] {
        return ports.With([&] { return std::count(ports.status.begin(), ports.status.end(), "Erik Holm logged in.") == 1; });
    }));
    const int32_t erikPerson = erik.client.CurrentPerson();
    ASSERT_TRUE(erik.logon.LogOff());
    ASSERT_TRUE(Eventually([&] {
        return ports.With([&] { return std::count(ports.status.begin(), ports.status.end(), "Erik Holm logged off.") == 1; });
    }));
    std::vector<std::string> sessions;
    for (const std::string& s : ports.With([&] { return ports.sessions; })) {
        if (s.find("Erik Holm") != std::string::npos)
            sessions.push_back(s);
    }
    ASSERT_EQ(sessions.size(), 2u);
    const std::string prefix = "add " + std::to_string(erikPerson) + "/";
    EXPECT_EQ(sessions[0].rfind(prefix, 0), 0u) << sessions[0];
    EXPECT_NE(sessions[0].find(" Erik Holm ["), std::string::npos) << sessions[0];
    EXPECT_NE(sessions[0].find(Logon::ClientName()), std::string::npos) << sessions[0];
    EXPECT_EQ(sessions[1].rfind("remove " + std::to_string(erikPerson) + "/", 0), 0u) << sessions[1];
    EXPECT_NE(sessions[1].find(" Erik Holm"), std::string::npos);
}

} // namespace
} // namespace pellar::test
