// The caches and the mark-read queue against the reference server.
#include <algorithm>
#include <atomic>
#include <thread>

#include "core/link/MVRequests.h"
#include "support/ScriptedWaits.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;

class CachesTest : public SessionFixture {
protected:
    // Logs a new person on (the account joins the server's default
    // conferences); returns the join-on-create conference, whose texts are
    // all unread for that person.
    int32_t LogOnNewReader(SessionClient& c, const std::string& name)
    {
        c.ui.yesNo = {true, false};
        c.ui.newAccounts = {{name, "pw", "pw"}};
        EXPECT_TRUE(LogOn(c, name, "pw"));
        const int32_t conf = c.client.ServerInfo().JoinOnCreateConf;
        EXPECT_TRUE(c.client.Cache().GetMembership(conf));
        relay->ClearSent();
        return conf;
    }

    // What the server has stored as read for the client's person, up to `upTo`.
    static std::vector<int32_t> ServerReadLocals(Client& client, int32_t conf, int32_t upTo)
    {
        std::vector<int32_t> read;
        TMiravoMembership m;
        TQueryReadTextsTrans query(client.Protocol(), m, client.CurrentPerson(), conf);
        EXPECT_TRUE(client.Transactions().ExecuteAndWait(query));
        for (int32_t local = 1; local <= upTo; ++local) {
            if (m.IsRead(local))
                read.push_back(local);
        }
        return read;
    }

    static bool ServerSaysRead(Client& client, int32_t conf, int32_t local)
    {
        const std::vector<int32_t> read = ServerReadLocals(client, conf, local);
        return !read.empty() && read.back() == local;
    }

    int CountSent(const std::string& line)
    {
        const auto lines = relay->SentLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            const size_t blank = l.find(' ');
            return blank != std::string::npos && l.substr(blank + 1) == line;
        }));
    }

    // How often the body of text was asked for.
    int TextRequests(int32_t text)
    {
        const auto lines = SentRequests(25);
        const std::string prefix = "25 " + std::to_string(text) + " ";
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
    }

    // Runs fn on several threads released at once.
    template <typename Fn>
    static void OnManyThreads(int count, Fn fn)
    {
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i] {
                while (!go.load())
                    std::this_thread::yield();
                fn(i);
            });
        }
        go = true;
        for (auto& t : threads)
            t.join();
    }
};

TEST_F(CachesTest, ConcurrentLookupsOfOneKeyAskTheServerOnce)
{
    miravod::ServerOptions slow;
    slow.replyDelayMs = 30;  // so that the threads surely overlap
    StartServer(slow);
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    MVCache& cache = c.client.Cache();
    const int32_t conf = c.client.ServerInfo().JoinOnCreateConf;
    const int32_t text = c.client.ServerInfo().MotdText;
    relay->ClearSent();
    const CacheStatistics before = cache.Statistics();

    constexpr int kThreads = 6;
    std::vector<std::string> names(kThreads);
    std::vector<std::shared_ptr<TextStatType>> stats(kThreads);
    std::vector<std::shared_ptr<TMiravoText>> texts(kThreads);
    OnManyThreads(kThreads, [&](int i) {
        names[static_cast<size_t>(i)] = cache.GetName(conf);
        stats[static_cast<size_t>(i)] = cache.GetTextStat(text);
        texts[static_cast<size_t>(i)] = cache.GetText(text);
    });

    EXPECT_EQ(CountSent("78 " + std::to_string(conf)), 1);
    EXPECT_EQ(CountSent("90 " + std::to_string(text)), 1);
    EXPECT_EQ(SentRequests(25).size(), 1u);
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(names[static_cast<size_t>(i)], "Welcome");
        ASSERT_TRUE(stats[static_cast<size_t>(i)]);
        EXPECT_EQ(stats[static_cast<size_t>(i)], stats[0]);  // the one cached object
        ASSERT_TRUE(texts[static_cast<size_t>(i)]);
        EXPECT_EQ(texts[static_cast<size_t>(i)], texts[0]);
    }
    EXPECT_EQ(texts[0]->Subject(), "Welcome to the demo system");
    const CacheStatistics after = cache.Statistics();
    EXPECT_EQ(after.nameMisses - before.nameMisses, 1u);
    EXPECT_EQ(after.nameHits - before.nameHits, kThreads - 1u);
    EXPECT_EQ(after.statMisses - before.statMisses, 1u);
    EXPECT_EQ(after.textMisses - before.textMisses, 1u);
    EXPECT_EQ(after.textHits - before.textHits, kThreads - 1u);
    EXPECT_EQ(after.lastMissedText, text);
}

TEST_F(CachesTest, RefusedTextIsAskedOnceUntilTheCachesAreCleared)
{
    StartServer();
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    MVCache& cache = c.client.Cache();
    relay->ClearSent();

    constexpr int32_t kMissing = 987654;
    EXPECT_FALSE(cache.GetText(kMissing));
    EXPECT_FALSE(cache.GetText(kMissing));
    EXPECT_EQ(SentRequests(25).size(), 1u);
    EXPECT_EQ(cache.Statistics().lastMissedText, kMissing);

    // A status that cannot be had is not cached: asked every time.
    EXPECT_FALSE(cache.GetTextStat(kMissing));
    EXPECT_FALSE(cache.GetTextStat(kMissing));
    EXPECT_EQ(SentRequests(90).size(), 2u);
    // Neither is a name; only the throwing variant tells.
    EXPECT_EQ(cache.GetName(kMissing), "*Unknown*");
    EXPECT_THROW(cache.GetNameOrFail(kMissing), NoSuchConferenceException);
    EXPECT_EQ(SentRequests(78).size(), 2u);
    // Number 0 never reaches the server.
    EXPECT_EQ(cache.GetName(0), "*Unknown*");
    EXPECT_FALSE(cache.GetText(0));
    EXPECT_FALSE(cache.GetTextStat(0));
    EXPECT_EQ(SentRequestNumbers().size(), 5u);
    // Those quiet look-ups posted nothing for the user.
    EXPECT_TRUE(c.Messages().empty());

    cache.ClearAllCaches();
    EXPECT_FALSE(cache.GetText(kMissing));
    EXPECT_EQ(SentRequests(25).size(), 2u);
}

TEST_F(CachesTest, StatusHandedOutSurvivesAClear)
{
    StartServer();
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    MVCache& cache = c.client.Cache();
    const int32_t text = c.client.ServerInfo().MotdText;

    const auto status = cache.GetTextStat(text);
    ASSERT_TRUE(status);
    ASSERT_TRUE(cache.IsTextStatCached(text));
    cache.ClearAllCaches();
    EXPECT_FALSE(cache.IsTextStatCached(text));
    EXPECT_EQ(status->Author(), c.client.CurrentPerson());  // the demo user wrote it
    EXPECT_GT(status->MiscInfoCount(), 0);

    const auto again = cache.GetTextStat(text);
    ASSERT_TRUE(again);
    EXPECT_NE(again, status);
    std::vector<int32_t> members;
    cache.ListMemberConferences(members);
    EXPECT_TRUE(members.empty());
    EXPECT_EQ(cache.IsNameCached(c.client.CurrentPerson()), -1);
}

TEST_F(CachesTest, OnlyARefusalIsRememberedNotACancelledWait)
{
    miravod::ServerOptions slow;
    slow.replyDelayMs = 150;  // longer than the user below will wait
    StartServer(slow);
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    MVCache& cache = c.client.Cache();
    const int32_t text = c.client.ServerInfo().MotdText;
    const int32_t conf = c.client.ServerInfo().JoinOnCreateConf;
    cache.ClearAllCaches();
    relay->ClearSent();

    CancelAfterWait impatient(20);
    c.client.SetBlockingWait(&impatient);
    MVCache::TextMiss miss = MVCache::TextMiss::None;
    EXPECT_FALSE(cache.GetText(text, miss));
    EXPECT_EQ(miss, MVCache::TextMiss::NotAnswered);
    EXPECT_FALSE(cache.IsTextCached(text));
    const std::shared_ptr<TMiravoConference> record = cache.GetConference(conf);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Name(), "");
    EXPECT_FALSE(record->ShortLoaded());
    EXPECT_FALSE(record->FullLoaded());
    EXPECT_GE(impatient.Cancelled(), 2);

    // The user waits this time: the text and the conference are there.
    c.client.SetBlockingWait(nullptr);
    const auto body = cache.GetText(text, miss);
    ASSERT_TRUE(body);
    EXPECT_EQ(miss, MVCache::TextMiss::None);
    EXPECT_EQ(body->Subject(), "Welcome to the demo system");
    EXPECT_EQ(record->Name(), "Welcome");
    EXPECT_GT(record->HighestLocalNo(), 0);
    EXPECT_EQ(TextRequests(text), 2);

    // The server's refusal is its answer: asked once, remembered.
    EXPECT_FALSE(cache.GetText(999999, miss));
    EXPECT_EQ(miss, MVCache::TextMiss::Refused);
    EXPECT_FALSE(cache.GetText(999999, miss));
    EXPECT_EQ(miss, MVCache::TextMiss::Refused);
    EXPECT_EQ(TextRequests(999999), 1);
}

TEST_F(CachesTest, ALostLinkIsNotRememberedAsARefusal)
{
    StartServer();
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    MVCache& cache = c.client.Cache();
    const int32_t text = c.client.ServerInfo().MotdText;
    cache.ClearAllCaches();
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !c.client.ConnectedEvent().IsSet(); }));
    MVCache::TextMiss miss = MVCache::TextMiss::None;
    EXPECT_FALSE(cache.GetText(text, miss));
    EXPECT_EQ(miss, MVCache::TextMiss::NotAnswered);
    EXPECT_FALSE(cache.IsTextCached(text));

    ASSERT_TRUE(LogOn(c));
    EXPECT_TRUE(cache.GetText(text, miss));
}

TEST_F(CachesTest, MarkReadSendsSortedNumbersAndTheServerStoresThem)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Sorted");
    MVCache& cache = c.client.Cache();
    ASSERT_GE(cache.GetConference(conf)->HighestLocalNo(), 40);

    cache.QueueMarkRead(conf, 5);
    cache.QueueMarkRead(conf, 3);
    cache.QueueMarkRead(conf, 4);
    EXPECT_TRUE(SentRequests(27).empty());
    cache.FlushMarkRead(true);
    EXPECT_THAT(SentRequests(27), ElementsAre("27 " + std::to_string(conf) + " 3 { 3 4 5  }"));
    EXPECT_THAT(ServerReadLocals(c.client, conf, 40), ElementsAre(3, 4, 5));
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    // An empty queue sends nothing.
    cache.FlushMarkRead(true);
    EXPECT_EQ(SentRequests(27).size(), 1u);
}

TEST_F(CachesTest, TheThirtyFirstNumberFlushes)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Batch");
    MVCache& cache = c.client.Cache();
    ASSERT_GE(cache.GetConference(conf)->HighestLocalNo(), 40);

    for (int32_t local = 31; local >= 2; --local)
        cache.QueueMarkRead(conf, local);
    EXPECT_EQ(cache.PendingMarkReadCount(), 30);
    cache.QueueMarkRead(conf, 40);
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return SentRequests(27).size() == 1; }));
    std::string numbers;
    std::vector<int32_t> expected;
    for (int32_t local = 2; local <= 31; ++local) {
        numbers += std::to_string(local) + " ";
        expected.push_back(local);
    }
    expected.push_back(40);
    EXPECT_EQ(SentRequests(27)[0], "27 " + std::to_string(conf) + " 31 { " + numbers + "40  }");
    EXPECT_EQ(ServerReadLocals(c.client, conf, 40), expected);
}

TEST_F(CachesTest, AnotherConferenceFlushesTheQueue)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Switch");
    const int32_t other = c.client.ServerInfo().PersonPresentationConf;
    MVCache& cache = c.client.Cache();

    cache.QueueMarkRead(conf, 2);
    cache.QueueMarkRead(conf, 1);
    cache.QueueMarkRead(other, 1);
    ASSERT_TRUE(WaitUntil([&] { return SentRequests(27).size() == 1; }));
    EXPECT_EQ(SentRequests(27)[0], "27 " + std::to_string(conf) + " 2 { 1 2  }");
    EXPECT_EQ(cache.PendingMarkReadCount(), 1);
    cache.FlushMarkRead(true);
    EXPECT_EQ(SentRequests(27)[1], "27 " + std::to_string(other) + " 1 { 1  }");
    EXPECT_TRUE(ServerSaysRead(c.client, conf, 2));
    EXPECT_TRUE(ServerSaysRead(c.client, other, 1));
}

TEST_F(CachesTest, MarkReadTextsOffDropsTheNumbers)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Silent");
    MVCache& cache = c.client.Cache();
    c.client.Config().WriteString("MarkReadTexts", "0");

    cache.QueueMarkRead(conf, 7);
    cache.QueueMarkRead(conf, 8);
    cache.FlushMarkRead(true);
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    EXPECT_TRUE(SentRequests(27).empty());
    EXPECT_FALSE(ServerSaysRead(c.client, conf, 7));

    // Back on: only what is queued from now on goes out.
    c.client.Config().WriteString("MarkReadTexts", "1");
    cache.QueueMarkRead(conf, 9);
    cache.FlushMarkRead(true);
    EXPECT_THAT(SentRequests(27), ElementsAre("27 " + std::to_string(conf) + " 1 { 9  }"));
}

TEST_F(CachesTest, MarksSurviveALinkLossAndReachTheServerAfterTheNextLogon)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Lost");
    MVCache& cache = c.client.Cache();
    const int32_t person = c.client.CurrentPerson();

    cache.QueueMarkRead(conf, 11);
    cache.QueueMarkRead(conf, 12);
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !c.client.ConnectedEvent().IsSet(); }));
    cache.FlushMarkRead(false);  // cannot go out now
    cache.QueueMarkRead(conf, 13);
    cache.FlushMarkRead(true);
    EXPECT_EQ(cache.PendingMarkReadCount(), 3);
    EXPECT_TRUE(SentRequests(27).empty());

    relay->ClearSent();
    ASSERT_TRUE(LogOn(c, "Reader Lost", "pw"));
    EXPECT_EQ(c.client.CurrentPerson(), person);
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    EXPECT_THAT(SentRequests(27), ElementsAre("27 " + std::to_string(conf) + " 3 { 11 12 13  }"));
    EXPECT_THAT(ServerReadLocals(c.client, conf, 20), ElementsAre(11, 12, 13));

    // Once delivered they are forgotten: a later logon sends nothing again.
    ASSERT_TRUE(c.logon.LogOff());
    relay->ClearSent();
    ASSERT_TRUE(LogOn(c, "Reader Lost", "pw"));
    EXPECT_TRUE(SentRequests(27).empty());
}

TEST_F(CachesTest, MarksStillQueuedAtALinkLossGoOutBeforeTheMembershipsAreRead)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Queued");
    MVCache& cache = c.client.Cache();

    // Read just before the drop: still in the queue, never flushed.
    cache.QueueMarkRead(conf, 4);
    cache.QueueMarkRead(conf, 2);
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !c.client.ConnectedEvent().IsSet(); }));
    EXPECT_EQ(cache.PendingMarkReadCount(), 2);

    relay->ClearSent();
    ASSERT_TRUE(LogOn(c, "Reader Queued", "pw"));
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    const std::vector<int> order = SentRequestNumbers();
    const auto marks = std::find(order.begin(), order.end(), 27);
    const auto memberships = std::find(order.begin(), order.end(), 46);
    ASSERT_NE(marks, order.end());
    ASSERT_NE(memberships, order.end());
    EXPECT_LT(marks - order.begin(), memberships - order.begin());
    EXPECT_THAT(SentRequests(27), ElementsAre("27 " + std::to_string(conf) + " 2 { 2 4  }"));
    EXPECT_THAT(ServerReadLocals(c.client, conf, 10), ElementsAre(2, 4));
    // So the reloaded membership no longer counts them as unread.
    const auto membership = cache.GetMembership(conf);
    ASSERT_TRUE(membership);
    EXPECT_TRUE(membership->IsRead(2));
    EXPECT_TRUE(membership->IsRead(4));
}

TEST_F(CachesTest, LostMarksAreNotSentForAnotherPerson)
{
    StartServer();
    SessionClient c;
    const int32_t conf = LogOnNewReader(c, "Reader Mine");
    MVCache& cache = c.client.Cache();

    cache.QueueMarkRead(conf, 21);
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !c.client.ConnectedEvent().IsSet(); }));
    cache.FlushMarkRead(true);
    cache.QueueMarkRead(conf, 22);  // queued, never flushed
    EXPECT_EQ(cache.PendingMarkReadCount(), 2);

    relay->ClearSent();
    ASSERT_TRUE(LogOn(c));  // the demo user, also a member of conf
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    cache.FlushMarkRead(true);
    EXPECT_TRUE(SentRequests(27).empty());
}

} // namespace
} // namespace pellar::test
