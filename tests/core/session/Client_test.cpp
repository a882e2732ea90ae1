#include "core/session/Client.h"

#include <future>

#include <gtest/gtest.h>

#include "core/link/MVRequests.h"
#include "core/wire/MiravoTypes.h"
#include "core/base/GuiThread.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;
using test::ClientHarness;

TEST(Client, TwoClientsInOneProcessShareNothing)
{
    ClientHarness a;
    ClientHarness b;
    ASSERT_TRUE(a.Connect());
    ASSERT_TRUE(b.Connect(/*greet=*/false));
    EXPECT_TRUE(a.client.ConnectedEvent().IsSet());
    EXPECT_FALSE(b.client.ConnectedEvent().IsSet());

    // Each run numbers its requests from 1.
    TGenericTrans ta(a.client.Protocol(), "x", requests::GetTime());
    TGenericTrans tb(b.client.Protocol(), "x", requests::GetTime());
    EXPECT_EQ(ta.Id(), 1);
    EXPECT_EQ(tb.Id(), 1);

    a.client.SetCurrentPerson(6);
    a.client.SetServerVersionInfo({10, "s", "v"});
    EXPECT_EQ(b.client.CurrentPerson(), 0);
    EXPECT_FALSE(b.client.Protocol().UseNewerForms());
    EXPECT_TRUE(a.client.Protocol().UseNewerForms());

    // Losing one link leaves the other connected.
    ASSERT_TRUE(b.Greet());
    a.peer.close();
    ASSERT_TRUE(a.client.ComThread().WaitIdle(10000));
    EXPECT_FALSE(a.client.ConnectedEvent().IsSet());
    EXPECT_TRUE(b.client.ConnectedEvent().IsSet());
    b.client.AsyncMessages().Add("x");
    EXPECT_EQ(a.client.AsyncMessages().Count(), 0);
}

TEST(Client, SessionStateKeepsWhatWasSet)
{
    Client c(test::QuietClientOptions());
    ServerInfoRec info;
    info.Version = 10700;
    info.MotdText = 4711;
    c.SetServerInfo(info);
    EXPECT_EQ(c.ServerInfo().Version, 10700);
    EXPECT_EQ(c.ServerInfo().MotdText, 4711);
    c.SetServerVersionInfo({11, "miravod", "1.2"});
    EXPECT_EQ(c.ServerVersionInfo().ServerName, "miravod");
    EXPECT_EQ(c.Protocol().ProtocolVersion(), 11);
}

TEST(Client, DirectRecordServicesRunTheRequests)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    DirectRecordServices direct(h.client.Protocol(), h.client.Transactions());
    auto found = std::async(std::launch::async, [&] { return direct.FindTextStat(4711); });
    ASSERT_TRUE(h.peer.expect("1 26 4711\n"));
    h.peer.send("%1 14 4711\n");
    ASSERT_EQ(found.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(found.get(), nullptr);

    direct.NoteMarkedRead(6, 17);
    EXPECT_TRUE(h.peer.expect("2 27 6 1 { 17  }\n"));
}

TEST(Client, RecordServicesCanBeReplaced)
{
    Client c(test::QuietClientOptions());
    struct Fake : RecordServices {
        void LoadFullConfStatus(TMiravoConferenceBase&) override {}
        void LoadShortConfStatus(TMiravoConferenceBase&) override {}
        bool LoadTextMap(int32_t, int32_t, int32_t, TSortedIntegerList<int32_t>&) override { return false; }
        std::shared_ptr<TMiravoConference> FindConference(int32_t) override { return nullptr; }
        std::shared_ptr<TextStatType> FindTextStat(int32_t) override { return std::make_shared<TextStatType>(); }
        void NoteMarkedRead(int32_t, int32_t) override {}
    } fake;
    c.SetRecordServices(&fake);
    EXPECT_EQ(&c.Records(), &fake);
    c.SetRecordServices(nullptr);
    EXPECT_NE(&c.Records(), &fake);
    EXPECT_NE(dynamic_cast<DirectRecordServices*>(&c.Records()), nullptr);
}

TEST(InlineGuiThread, RunsOnTheCallingThreadBeforeReturning)
{
    InlineGuiThread gui;
    std::thread::id ranOn;
    gui.invokeAndWait([&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

} // namespace
} // namespace pellar
