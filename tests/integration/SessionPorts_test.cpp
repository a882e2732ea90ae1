// The windows' session ports over a client against the reference server:
// where the writing port says the session is logged on, offline and online,
// what its services and sending work through, and the events port asking for
// presence reports only while there is a link.
#include <thread>

#include "core/events/ClientEventsSession.h"
#include "core/wire/RequestCatalogue.h"
#include "core/writing/ClientWritingSession.h"
#include "support/QueuedGuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class SessionPortsTest : public SessionFixture {
protected:
    int Sent(RequestNumber number)
    {
        return static_cast<int>(SentRequests(static_cast<int>(number)).size());
    }

    QueuedGuiThread loop;
    SessionClient me;
    ClientWritingSession writing{me.client};
    ClientEventsSession events{me.client};
};

TEST_F(SessionPortsTest, OfflineTheWritingPortKnowsNoPlaceAndNoPerson)
{
    EXPECT_FALSE(writing.IsConnected());
    EXPECT_EQ(writing.CurrentPerson(), 0);
    const DraftPlace here = writing.Here();
    EXPECT_FALSE(here.Known());
    EXPECT_TRUE(here.server.empty());
    EXPECT_EQ(here.person, 0);
}

TEST_F(SessionPortsTest, LoggedOnTheWritingPortSaysWhereAndWho)
{
    StartServer();
    ASSERT_TRUE(LogOn(me));
    ASSERT_TRUE(writing.IsConnected());
    const DraftPlace here = writing.Here();
    EXPECT_TRUE(here.Known());
    EXPECT_EQ(here.server, "127.0.0.1");
    EXPECT_EQ(here.port, relay->portText());
    EXPECT_EQ(here.person, me.client.CurrentPerson());
    EXPECT_EQ(here.personName, kDemoUser);
    EXPECT_EQ(writing.CurrentPerson(), here.person);

    // A window's services work through the same session.
    std::string activity;
    auto services = writing.Services([&activity](const std::string& key) { activity = key; });
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(services->CurrentPerson(), here.person);
    EXPECT_EQ(services->GetName(here.person), kDemoUser);
    services->ChangeActivity("write");
    EXPECT_EQ(activity, "write");

    writing.PostUserMessage("iHello");
    EXPECT_THAT(me.Messages(), ::testing::Contains(std::string("iHello")));
}

TEST_F(SessionPortsTest, TheSendingAMessagesWindowGetsSendsInThisSession)
{
    StartServer();
    ASSERT_TRUE(LogOn(me));
    auto sending = writing.Sending(loop.HandOver());
    std::vector<std::string> names;
    sending->Send(me.client.CurrentPerson(), "to myself", "", [&](bool sent, const std::string& name) {
        EXPECT_TRUE(sent);
        names.push_back(name);
    });
    ASSERT_TRUE(loop.RunUntil([&] { return sending->Pending() == 0; }));
    EXPECT_EQ(names, std::vector<std::string>{kDemoUser});
}

TEST_F(SessionPortsTest, PresenceReportsAreAskedForOnlyWithALink)
{
    events.AcceptPresenceReports(true);
    EXPECT_TRUE(me.client.AcceptedAsync().empty());

    StartServer();
    ASSERT_TRUE(LogOn(me));
    ASSERT_TRUE(events.IsConnected());
    const int before = Sent(RequestNumber::AcceptAsync);
    const size_t withoutPresence = [&] {
        events.AcceptPresenceReports(false);
        return me.client.AcceptedAsync().size();
    }();
    events.AcceptPresenceReports(true);
    const size_t withPresence = me.client.AcceptedAsync().size();
    EXPECT_GT(withPresence, withoutPresence);
    // Both went out; neither waited for its answer, which comes later.
    EXPECT_TRUE(WaitUntil([&] { return Sent(RequestNumber::AcceptAsync) == before + 2; }, 5000));
}

} // namespace
} // namespace pellar::test
