// Log-on and log-off notices: what reaches the who-is-on list and the status
// bar, against a peer that answers some session requests and refuses others.
#include "core/events/TLogOnOffThread.h"

#include <future>

#include <gtest/gtest.h>

#include "core/events/EventPorts.h"
#include "core/wire/DateTime.h"
#include "core/wire/WireTokens.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"
#include "support/ClientHarness.h"

namespace pellar::test {
namespace {

struct Row {
    std::string name, client, account, host, ident;
};

struct RecordingPorts : EventPorts {
    std::vector<Row> added;
    std::vector<std::string> status;

    void DeliverMessage(const IncomingMessage&) override {}
    void AddSession(int32_t, int32_t, const std::string& name, const std::string& client, const std::string& account,
                    const std::string& host, const std::string& ident) override
    {
        added.push_back({name, client, account, host, ident});
    }
    void RemoveSession(int32_t, int32_t, const std::string&) override {}
    void UpdatePresence(const std::string&, const std::string&, int32_t, const std::string&,
                        const std::string&) override
    {
    }
    void ShowTray(TrayAlert) override {}
    void SetStatusText(const std::string& text) override { status.push_back(text); }
    void BringToFront() override {}
    void Beep() override {}
    void RefreshConferenceList() override {}
};

class LogOnNotice : public ::testing::Test {
protected:
    LogOnNotice() { h.client.Cache().SetName(7, "Anna Berg"); }

    std::string StaticInfo(int id)
    {
        return "=" + std::to_string(id) + " 4Hanna 9Hlocalhost 5Hident " +
               EncodeTime(EncodeDateTime(2020, 5, 6, 7, 8, 9)) + "\n";
    }

    ClientHarness h;
    InlineGuiThread gui;
    RecordingPorts ports;
};

TEST_F(LogOnNotice, AServerThatKeepsTheClientVersionToItselfStillFillsAccountHostAndIdent)
{
    ASSERT_TRUE(h.Connect());
    TLogOnOffThread notice(h.client, gui, ports, 7, 33, true);
    auto run = std::async(std::launch::async, [&] { notice.Run(); });
    // The session record needs three answers; the second is refused.
    ASSERT_TRUE(h.peer.expect("1 84 33\n"));
    h.peer.send(StaticInfo(1));
    ASSERT_TRUE(h.peer.expect("2 71 33\n"));
    h.peer.send("%2 13 0\n");
    // The notice's own request for the static details.
    ASSERT_TRUE(h.peer.expect("3 84 33\n"));
    h.peer.send(StaticInfo(3));
    run.get();

    ASSERT_EQ(ports.added.size(), 1u);
    EXPECT_EQ(ports.added[0].name, "Anna Berg");
    EXPECT_EQ(ports.added[0].client, "");
    EXPECT_EQ(ports.added[0].account, "anna");
    EXPECT_EQ(ports.added[0].host, "localhost");
    EXPECT_EQ(ports.added[0].ident, "ident");
    EXPECT_EQ(ports.status, std::vector<std::string>{"Anna Berg logged in."});
    EXPECT_EQ(h.client.UserMessages().Count(), 0);  // refusals are quiet
}

TEST_F(LogOnNotice, ARefusedStaticRequestLeavesTheDetailsEmptyAndStillTellsTheStatusBar)
{
    ASSERT_TRUE(h.Connect());
    TLogOnOffThread notice(h.client, gui, ports, 7, 33, true);
    auto run = std::async(std::launch::async, [&] { notice.Run(); });
    ASSERT_TRUE(h.peer.expect("1 84 33\n"));
    h.peer.send("%1 14 33\n");
    ASSERT_TRUE(h.peer.expect("2 84 33\n"));
    h.peer.send("%2 14 33\n");
    run.get();

    ASSERT_EQ(ports.added.size(), 1u);
    EXPECT_EQ(ports.added[0].account, "");
    EXPECT_EQ(ports.added[0].host, "");
    EXPECT_EQ(ports.status, std::vector<std::string>{"Anna Berg logged in."});
    EXPECT_EQ(h.client.UserMessages().Count(), 0);
}

} // namespace
} // namespace pellar::test
