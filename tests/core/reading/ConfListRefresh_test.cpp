// The conference-list refresh: what it asks the server (everything at once,
// names included) and what it tells the list to do.
#include "core/reading/ConfListRefresh.h"

#include <future>
#include <set>

#include <gtest/gtest.h>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "support/ClientHarness.h"
#include "support/ScriptedSessionUi.h"

namespace pellar::test {
namespace {

const std::string kTime = EncodeTime(EncodeDateTime(2024, 1, 2, 3, 4, 5));

std::string Name(int32_t conf)
{
    return "Conference " + std::to_string(conf);
}

std::string FullStatus(int id, int32_t conf, int32_t texts)
{
    return "=" + std::to_string(id) + " " + EncodeHollerith(Name(conf)) + " 00000000 " + kTime + " " + kTime +
           " 0 0 0 0 0 0 0 0 1 " + std::to_string(texts) + "\n";
}

std::string ShortStatus(int id, int32_t conf, int32_t highest)
{
    return "=" + std::to_string(id) + " " + EncodeHollerith(Name(conf)) + " 00000000 " + std::to_string(highest) +
           " 0\n";
}

// A membership of conf that may have unread texts, in the cache.
std::shared_ptr<TMiravoMembership> Join(MVCache& cache, int32_t conf)
{
    auto m = std::make_shared<TMiravoMembership>(conf, &cache);
    m->SetMayHaveUnread(true);
    cache.PutMembership(m);
    return m;
}

ConfListRefreshInput NoRows()
{
    return {0, false, [](int32_t) { return false; }};
}

TEST(ConfListProgress, CountsInTheBoxWithThousandsGrouped)
{
    EXPECT_EQ(ConfListProgressText(120, 1011), "Loading conferences: 120 of 1,011");
    EXPECT_EQ(ConfListProgressText(0, 7), "Loading conferences: 0 of 7");
    EXPECT_EQ(ConfListProgressText(1234567, 1234567), "Loading conferences: 1,234,567 of 1,234,567");
}

class ConfListRefreshPeerTest : public ::testing::Test {
protected:
    ClientHarness h;
    MVCache& cache = h.client.Cache();
};

TEST_F(ConfListRefreshPeerTest, AtLogonEveryStatusGoesOutBeforeAnyIsAnswered)
{
    constexpr int kMembers = 40;
    constexpr int kUnread = 30;  // the first thirty have unread texts
    ASSERT_TRUE(h.Connect());
    h.client.SetCurrentPerson(6);
    ScriptedSessionUi ui;
    SessionCommands commands(h.client, ui);
    Logon logon(h.client, ui, commands, {});

    auto load = std::async(std::launch::async, [&] { logon.LoadMemberships(); });
    // The membership and the unread conferences need nothing of each other.
    ASSERT_TRUE(h.peer.expect("1 46 6 0 65535 1\n2 52 6\n"));
    std::string members = "=1 " + std::to_string(kMembers) + " {";
    std::string unread = "=2 " + std::to_string(kUnread) + " {";
    for (int32_t i = 0; i < kMembers; ++i) {
        members += " " + kTime + " " + std::to_string(100 + i) + " " + std::to_string(i) + " 0 0 *";
        if (i < kUnread)
            unread += " " + std::to_string(100 + i);
    }
    h.peer.send(members + " }\n" + unread + " }\n");
    load.get();

    std::vector<std::pair<size_t, size_t>> progress;
    ConfListRefreshInput input = NoRows();
    input.progress = [&](size_t done, size_t total) { progress.emplace_back(done, total); };
    auto refresh = std::async(std::launch::async, [&] { return PlanConfListRefresh(cache, input); });
    // All sixty requests arrive while none has been answered: a refresh
    // that waited per conference would stall after the first two.
    std::string expected;
    for (int32_t i = 0; i < kUnread; ++i) {
        const int id = 3 + 2 * i;
        expected += std::to_string(id) + " 50 " + std::to_string(100 + i) + "\n" + std::to_string(id + 1) + " 78 " +
                    std::to_string(100 + i) + "\n";
    }
    ASSERT_TRUE(h.peer.expect(expected));
    std::string replies;
    for (int32_t i = 0; i < kUnread; ++i) {
        const int id = 3 + 2 * i;
        replies += FullStatus(id, 100 + i, i % 5 + 1) + ShortStatus(id + 1, 100 + i, i % 5 + 1);
    }
    h.peer.send(replies);
    const ConfListChanges changes = refresh.get();

    EXPECT_TRUE(changes.removed.empty());
    EXPECT_TRUE(changes.updated.empty());
    ASSERT_EQ(changes.added.size(), size_t{kUnread});
    for (int32_t i = 0; i < kUnread; ++i) {
        const ConfListEntry& row = changes.added[static_cast<size_t>(i)];
        EXPECT_EQ(row.conf, 100 + i);
        EXPECT_EQ(row.name, Name(100 + i));
        EXPECT_EQ(row.priority, i);
        EXPECT_EQ(row.unread, i % 5 + 1);
    }
    // The names came with the statuses: no look-up by name afterwards.
    EXPECT_TRUE(h.peer.quiet(50));
    EXPECT_EQ(cache.Statistics().nameMisses, 0u);
    // Every conference walked was counted, of all forty, up to the end.
    ASSERT_EQ(progress.size(), size_t{kMembers} + 1);
    for (size_t i = 0; i < progress.size(); ++i)
        EXPECT_EQ(progress[i], (std::pair<size_t, size_t>{i, size_t{kMembers}}));
}

TEST_F(ConfListRefreshPeerTest, AConferenceAnotherThreadIsLoadingIsLeftToIt)
{
    ASSERT_TRUE(h.Connect());
    for (int32_t conf : {7, 8})
        Join(cache, conf);
    auto walk = std::async(std::launch::async, [&] { return cache.GetConference(7)->NoOfTexts(); });
    ASSERT_TRUE(h.peer.expect("1 50 7\n2 78 7\n"));
    auto refresh = std::async(std::launch::async, [&] { return PlanConfListRefresh(cache, NoRows()); });
    ASSERT_TRUE(h.peer.expect("3 50 8\n4 78 8\n"));
    h.peer.send(FullStatus(3, 8, 2) + ShortStatus(4, 8, 2));
    // Conference 7 is not asked for twice; the refresh waits for its load.
    EXPECT_TRUE(h.peer.quiet(50));
    EXPECT_EQ(refresh.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    h.peer.send(FullStatus(1, 7, 5) + ShortStatus(2, 7, 5));
    EXPECT_EQ(walk.get(), 5);
    const ConfListChanges changes = refresh.get();
    ASSERT_EQ(changes.added.size(), 2u);
    EXPECT_EQ(changes.added[0].unread, 5);
    EXPECT_EQ(changes.added[1].unread, 2);
    EXPECT_EQ(changes.added[1].name, Name(8));
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(ConfListRefreshPeerTest, LinkLostDuringTheBatchReleasesTheRefresh)
{
    ASSERT_TRUE(h.Connect());
    for (int32_t conf = 1; conf <= 5; ++conf)
        Join(cache, conf);
    auto refresh = std::async(std::launch::async, [&] { return PlanConfListRefresh(cache, NoRows()); });
    h.peer.receiveUntil("10 78 5\n");
    h.peer.send(FullStatus(1, 1, 3) + ShortStatus(2, 1, 3));
    ASSERT_TRUE(WaitUntil([&] { return cache.GetConference(1)->ShortLoaded(); }));
    h.peer.close();
    ASSERT_EQ(refresh.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const ConfListChanges changes = refresh.get();
    // What arrived counts; the rest show nothing rather than a guess.
    ASSERT_EQ(changes.added.size(), 1u);
    EXPECT_EQ(changes.added[0].conf, 1);
    EXPECT_EQ(changes.added[0].unread, 3);
}

// The decisions, on records filled by hand (offline: nothing is fetched).
class ConfListRefreshRulesTest : public ::testing::Test {
protected:
    ConfListRefreshRulesTest()
    {
        for (int32_t conf : {1, 2, 3, 4}) {
            Join(cache, conf)->SetPriority(10 * conf);
            ConfStatFields full;
            full.name = Name(conf);
            full.firstLocalNo = 1;
            full.noOfTexts = conf;
            const auto record = cache.GetConference(conf);
            record->StoreFullStatus(full);
            record->StoreShortStatus(full.name, "00000000", conf, 0);
            cache.SetName(conf, full.name);
        }
    }

    ConfListChanges Refresh(int32_t reading = 0, bool all = false)
    {
        return PlanConfListRefresh(cache, {reading, all, [this](int32_t conf) { return rows.count(conf) > 0; }});
    }

    Client client{QuietClientOptions()};
    MVCache& cache = client.Cache();
    std::set<int32_t> rows;
};

TEST_F(ConfListRefreshRulesTest, RowsComeChangeAndGoWithTheMemberships)
{
    cache.GetMembership(1)->SetLastTextRead(1);  // read out
    ConfListChanges c = Refresh();
    ASSERT_EQ(c.added.size(), 3u);
    EXPECT_EQ(c.added[0].conf, 2);
    EXPECT_EQ(c.added[0].unread, 2);
    EXPECT_EQ(c.added[0].priority, 20);
    rows = {2, 3, 4};

    // Unchanged rows are updated in place, the read-out one stays away.
    cache.GetMembership(3)->MarkRead(1, false);
    cache.GetMembership(2)->SetLastTextRead(2);
    c = Refresh();
    EXPECT_TRUE(c.added.empty());
    EXPECT_EQ(c.removed, std::vector<int32_t>{2});
    ASSERT_EQ(c.updated.size(), 2u);
    EXPECT_EQ(c.updated[0].conf, 3);
    EXPECT_EQ(c.updated[0].unread, 2);
    rows = {3, 4};

    // The conference being read keeps its row at zero; a left one goes.
    cache.GetMembership(3)->SetLastTextRead(3);
    cache.GetMembership(4)->SetRemoved(true);
    cache.GetMembership(4)->SetChanged(true);
    c = Refresh(3);
    EXPECT_EQ(c.removed, std::vector<int32_t>{4});
    ASSERT_EQ(c.updated.size(), 1u);
    EXPECT_EQ(c.updated[0].unread, 0);
    EXPECT_FALSE(cache.GetMembership(4)->Changed());
    rows = {3};

    // The entire membership: everything not left, counts or not.
    c = Refresh(0, true);
    ASSERT_EQ(c.added.size(), 2u);
    EXPECT_EQ(c.added[0].conf, 1);
    EXPECT_EQ(c.added[0].unread, 0);
    EXPECT_EQ(c.added[0].name, Name(1));
    EXPECT_EQ(c.added[1].conf, 2);
}

TEST_F(ConfListRefreshRulesTest, AChangedOnlyRefreshTouchesTheMarkedConferencesAndAddsNothing)
{
    rows = {1, 2, 3, 4};
    Refresh();  // every changed flag cleared
    rows = {2, 3, 4};  // conference 1 not shown: a changed-only refresh does not bring it in
    cache.GetMembership(1)->MarkRead(1, false);
    cache.GetMembership(3)->MarkRead(1, false);
    cache.GetMembership(2)->SetLastTextRead(2);
    cache.GetMembership(2)->SetChanged(true);
    ConfListRefreshInput input{0, false, [this](int32_t conf) { return rows.count(conf) > 0; }};
    input.changedOnly = true;
    ConfListChanges c = PlanConfListRefresh(cache, input);
    EXPECT_TRUE(c.added.empty());
    EXPECT_EQ(c.removed, std::vector<int32_t>{2});
    ASSERT_EQ(c.updated.size(), 1u);
    EXPECT_EQ(c.updated[0].conf, 3);
    EXPECT_EQ(c.updated[0].unread, 2);
    EXPECT_FALSE(cache.GetMembership(3)->Changed());
    // Nothing changed since: nothing to do, unchanged row 4 included.
    c = PlanConfListRefresh(cache, input);
    EXPECT_TRUE(c.added.empty() && c.removed.empty() && c.updated.empty());
}

} // namespace
} // namespace pellar::test
