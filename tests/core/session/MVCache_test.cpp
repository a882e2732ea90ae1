// The caches against a scripted peer, where the exact bytes and the moment a
// link drops matter.
#include <atomic>
#include <future>

#include <gtest/gtest.h>

#include "core/wire/WireTokens.h"
#include "core/session/MVCache.h"
#include "core/session/SubjectLines.h"
#include "support/ClientHarness.h"

namespace pellar::test {
namespace {

const std::string kTime = EncodeTime(EncodeDateTime(2020, 5, 6, 7, 8, 9));

// Lines "27 conf count { n n ... }" with the numbers from first to last.
std::string MarkLine(int id, int32_t conf, int32_t first, int32_t last)
{
    std::string numbers;
    for (int32_t n = first; n <= last; ++n)
        numbers += std::to_string(n) + " ";
    return std::to_string(id) + " 27 " + std::to_string(conf) + " " + std::to_string(last - first + 1) + " { " +
           numbers + " }\n";
}

TEST(MVCacheRecords, MembershipsAndConferencesAreKeptByNumber)
{
    Client client(QuietClientOptions());
    MVCache& cache = client.Cache();
    for (int32_t conf : {30, 10, 20})
        cache.PutMembership(std::make_shared<TMiravoMembership>(conf, &cache));
    auto replacement = std::make_shared<TMiravoMembership>(20, &cache);
    cache.PutMembership(replacement);
    std::vector<int32_t> confs{99};
    cache.ListMemberConferences(confs);
    EXPECT_EQ(confs, (std::vector<int32_t>{99, 10, 20, 30}));  // appended, ascending
    EXPECT_EQ(cache.GetMembership(20), replacement);
    EXPECT_FALSE(cache.GetMembership(0));
    // Those marked changed, in conference order, and no others.
    for (int32_t conf : {10, 20, 30})
        cache.GetMembership(conf)->SetChanged(false);
    EXPECT_TRUE(cache.ChangedMemberships().empty());
    cache.GetMembership(30)->SetChanged(true);
    replacement->SetChanged(true);
    const auto changed = cache.ChangedMemberships();
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0], replacement);
    EXPECT_EQ(changed[1]->ConfNo(), 30);

    EXPECT_EQ(cache.RemoveMembership(20), replacement);
    EXPECT_FALSE(cache.GetMembership(20));
    EXPECT_FALSE(cache.RemoveMembership(20));

    const auto conf = cache.GetConference(7);
    ASSERT_TRUE(conf);
    EXPECT_EQ(conf->ConfNo(), 7);
    EXPECT_EQ(cache.GetConference(7), conf);
    EXPECT_FALSE(cache.GetConference(0));
    // Records load through the caches.
    EXPECT_EQ(&client.Records(), static_cast<RecordServices*>(&cache));
}

TEST(MVCacheRecords, NamesAndStatusesSetByHandAreServedWithoutTheServer)
{
    Client client(QuietClientOptions());  // offline: any request would fail
    MVCache& cache = client.Cache();
    cache.SetName(5, "Five");
    cache.SetName(5, "Fifth");
    cache.SetName(0, "ignored");
    EXPECT_EQ(cache.GetName(5), "Fifth");
    EXPECT_EQ(cache.GetNameOrFail(5), "Fifth");
    EXPECT_GE(cache.IsNameCached(5), 0);
    EXPECT_EQ(cache.IsNameCached(0), -1);
    EXPECT_EQ(cache.GetName(6), "*Unknown*");
    EXPECT_THROW(cache.GetNameOrFail(0), NoSuchConferenceException);

    auto status = std::make_shared<TextStatType>();
    cache.PutTextStat(100, status);
    EXPECT_EQ(cache.GetTextStat(100), status);
    cache.ForgetTextStat(100);
    EXPECT_FALSE(cache.IsTextStatCached(100));
    EXPECT_FALSE(cache.GetTextStat(100));

    const CacheStatistics stats = cache.Statistics();
    EXPECT_EQ(stats.nameHits, 2u);
    EXPECT_EQ(stats.nameMisses, 1u);
    EXPECT_EQ(stats.statHits, 1u);
    EXPECT_EQ(stats.statMisses, 1u);
    // Clearing keeps the counters.
    cache.ClearAllCaches();
    EXPECT_EQ(cache.Statistics().nameHits, 2u);
    EXPECT_EQ(cache.GetName(5), "*Unknown*");
}

// A ranged subject line answers for the subject until the whole text comes,
// is never the text, and goes with the text.
TEST(MVCacheRecords, ASubjectLineStandsInUntilTheWholeTextComes)
{
    Client client(QuietClientOptions());
    MVCache& cache = client.Cache();
    cache.PutSubject(100, "A line");
    cache.PutSubject(100, "Another line");
    EXPECT_FALSE(cache.IsTextCached(100));
    EXPECT_EQ(cache.CachedSubject(100), "A line") << "the first line is kept";
    EXPECT_EQ(cache.CachedSubject(101), std::nullopt);

    cache.PutText(100, std::make_shared<TMiravoText>(100, "Whole subject\nbody"));
    EXPECT_TRUE(cache.IsTextCached(100));
    EXPECT_EQ(cache.CachedSubject(100), "Whole subject");
    cache.PutSubject(100, "Late line");
    EXPECT_EQ(cache.CachedSubject(100), "Whole subject") << "a line never replaces the text";
    cache.ForgetText(100);
    EXPECT_EQ(cache.CachedSubject(100), std::nullopt) << "the line went with the whole text";

    cache.PutSubject(102, "Line of a text the server refuses");
    cache.PutText(102, nullptr);
    EXPECT_TRUE(cache.IsTextCached(102));
    EXPECT_EQ(cache.CachedSubject(102), std::nullopt);
    cache.PutSubject(104, "Forgotten");
    cache.ForgetText(104);
    EXPECT_EQ(cache.CachedSubject(104), std::nullopt);
    cache.PutSubject(103, "Cleared");
    cache.ClearAllCaches();
    EXPECT_EQ(cache.CachedSubject(103), std::nullopt);
}

// The flat store under the cache's subject lines: lines put out of order and
// most of them let go again (their whole texts came) leave the rest intact,
// and the buffer gives back what they used.
TEST(SubjectLines, LinesLetGoOfGiveTheirBytesBackAndTheRestReadTheSame)
{
    SubjectLines lines;
    const auto line = [](int32_t text) {
        std::string out = "Subject of text ";
        out += std::to_string(text);
        return out.append(40, 'x');
    };
    for (int32_t text = 4000; text >= 1; --text)
        lines.Put(text, line(text));
    lines.Put(7, "a second line");
    lines.Put(5000, "");
    ASSERT_EQ(lines.Count(), 4001);
    const size_t full = lines.BufferBytes();
    for (int32_t text = 1; text <= 4000; ++text) {
        if (text % 10 != 0)
            lines.Remove(text);
    }
    lines.Remove(123456);
    EXPECT_EQ(lines.Count(), 401);
    EXPECT_LT(lines.BufferBytes(), full / 4);
    for (int32_t text = 1; text <= 4000; ++text) {
        if (text % 10 == 0)
            ASSERT_EQ(lines.Get(text), line(text)) << text;
        else
            ASSERT_FALSE(lines.Contains(text)) << text;
    }
    EXPECT_EQ(lines.Get(5000), "") << "an empty line is a line";
    lines.Clear();
    EXPECT_EQ(lines.BufferBytes(), 0u);
    EXPECT_EQ(lines.Get(10), std::nullopt);
}

// Read marks are told in order to whoever asks what came since it last
// looked, for as long as they are kept.
TEST(MVCacheRecords, ReadMarksSinceALookComeInOrderWhileKept)
{
    Client client(QuietClientOptions());
    MVCache& cache = client.Cache();
    auto membership = std::make_shared<TMiravoMembership>(10, &cache);
    cache.PutMembership(membership);
    uint64_t seen = 0;
    std::vector<MVCache::ReadMark> marks;
    EXPECT_TRUE(cache.ReadMarksSince(seen, marks));
    EXPECT_TRUE(marks.empty());
    const uint64_t reads = cache.Version().reads;
    membership->MarkRead(5, true);
    membership->MarkRead(3, true);
    membership->MarkRead(5, true);  // read already: no mark
    EXPECT_TRUE(cache.ReadMarksSince(seen, marks));
    EXPECT_EQ(marks, (std::vector<MVCache::ReadMark>{{10, 5}, {10, 3}}));
    EXPECT_EQ(cache.Version().reads - reads, marks.size()) << "one read-state change a mark";
    marks.clear();
    EXPECT_TRUE(cache.ReadMarksSince(seen, marks));
    EXPECT_TRUE(marks.empty());

    for (int32_t local = 100; local < 100 + int32_t(MVCache::kReadMarksKept) + 1; ++local)
        cache.NoteMarkedRead(20, local);
    EXPECT_FALSE(cache.ReadMarksSince(seen, marks)) << "the first of them is gone";
    cache.NoteMarkedRead(20, 1);
    EXPECT_TRUE(cache.ReadMarksSince(seen, marks));
    EXPECT_EQ(marks.back(), (MVCache::ReadMark{20, 1}));
}

// A list built from the caches is kept while the version stands still: it
// moves with whatever could change such a list, and not with what only adds.
TEST(MVCacheRecords, TheVersionMovesWithChangesAndReadMarksNotWithAdditions)
{
    Client client(QuietClientOptions());
    MVCache& cache = client.Cache();
    auto membership = std::make_shared<TMiravoMembership>(10, &cache);
    cache.PutMembership(membership);
    auto version = cache.Version();
    auto moved = [&] {
        const CacheVersion now = cache.Version();
        const bool changed = !(now == version);
        version = now;
        return changed;
    };
    cache.SetName(5, "Five");
    cache.PutTextStat(100, std::make_shared<TextStatType>());
    cache.PutSubject(100, "Subject");
    cache.PutText(100, std::make_shared<TMiravoText>(100, "Subject\nbody"));
    EXPECT_FALSE(moved()) << "first additions";
    cache.SetName(5, "Five");
    EXPECT_FALSE(moved()) << "the same name again";

    cache.SetName(5, "Fifth");
    EXPECT_TRUE(moved()) << "a renamed person";
    cache.PutTextStat(100, std::make_shared<TextStatType>());
    EXPECT_TRUE(moved()) << "a status replaced";
    cache.ForgetTextStat(100);
    EXPECT_TRUE(moved()) << "a status forgotten";
    cache.ForgetText(100);
    EXPECT_TRUE(moved()) << "a text forgotten";

    membership->MarkRead(3, false);
    EXPECT_TRUE(moved()) << "a read mark";
    membership->MarkRead(3, false);
    EXPECT_FALSE(moved()) << "a text already read";
    membership->SetChanged(false);
    EXPECT_FALSE(moved()) << "the list's changed flag";
    membership->SetReadState(0, {});
    EXPECT_TRUE(moved()) << "the server's read state";
    cache.PutMembership(std::make_shared<TMiravoMembership>(10, &cache));
    EXPECT_TRUE(moved()) << "a membership replaced";
    cache.RemoveMembership(10);
    EXPECT_TRUE(moved()) << "a membership left";
    cache.ClearAllCaches();
    EXPECT_TRUE(moved()) << "everything cleared";
}

class MVCachePeerTest : public ::testing::Test {
protected:
    ClientHarness h;
    MVCache& cache = h.client.Cache();
};

TEST_F(MVCachePeerTest, SessionInfoNeedsAllThreeAnswers)
{
    ASSERT_TRUE(h.Connect());
    auto first = std::async(std::launch::async, [&] { return cache.GetSessionInfo(9); });
    ASSERT_TRUE(h.peer.expect("1 84 9\n"));
    h.peer.send("=1 4Hanna 9Hlocalhost 5Hident " + kTime + "\n");
    ASSERT_TRUE(h.peer.expect("2 71 9\n"));
    h.peer.send("%2 13 0\n");  // no version known
    EXPECT_FALSE(first.get());
    EXPECT_EQ(h.client.UserMessages().Count(), 0);  // quietly

    auto second = std::async(std::launch::async, [&] { return cache.GetSessionInfo(9); });
    ASSERT_TRUE(h.peer.expect("3 84 9\n"));
    h.peer.send("=3 4Hanna 9Hlocalhost 5Hident " + kTime + "\n");
    ASSERT_TRUE(h.peer.expect("4 71 9\n"));
    h.peer.send("=4 4H1.23\n");
    ASSERT_TRUE(h.peer.expect("5 70 9\n"));
    h.peer.send("=5 6HPellar\n");
    const auto info = second.get();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->account, "anna");
    EXPECT_EQ(info->host, "localhost");
    EXPECT_EQ(info->ident, "ident");
    EXPECT_EQ(FormatDateTime(info->connectionTime), FormatDateTime(EncodeDateTime(2020, 5, 6, 7, 8, 9)));
    EXPECT_EQ(info->clientVersion, "1.23");
    EXPECT_EQ(info->clientName, "Pellar");
    // Cached now: no more requests.
    EXPECT_EQ(cache.GetSessionInfo(9), info);
    EXPECT_TRUE(h.peer.quiet(50));
}

// Gives up on every wait for a key another thread holds, as a user pressing
// Cancel would; waits for replies run to their end.
class GiveUpOnKeys : public BlockingWait {
public:
    WaitOutcome Wait(const WaitPlan& plan) override
    {
        if (plan.what.rfind("Waiting for the name", 0) != 0 && plan.what.rfind("Waiting for the session", 0) != 0) {
            plan.waitFor(-1);
            return WaitOutcome::Done;
        }
        ++gaveUp;
        if (plan.cancel)
            plan.cancel();
        return WaitOutcome::Cancelled;
    }
    std::atomic<int> gaveUp{0};
};

TEST_F(MVCachePeerTest, AReaderWhoGivesUpOnALookupInProgressGetsNothingAndAsksNothing)
{
    ASSERT_TRUE(h.Connect());
    GiveUpOnKeys user;
    h.client.SetBlockingWait(&user);
    auto first = std::async(std::launch::async, [&] { return cache.GetName(5); });
    ASSERT_TRUE(h.peer.expect("1 78 5\n"));
    // The first reader holds the name's key until its reply is in.
    EXPECT_EQ(std::async(std::launch::async, [&] { return cache.GetName(5); }).get(), "*Unknown*");
    h.peer.send("=1 4HKarl 0000 7\n");
    EXPECT_EQ(first.get(), "Karl");

    auto session = std::async(std::launch::async, [&] { return cache.GetSessionInfo(9); });
    ASSERT_TRUE(h.peer.expect("2 84 9\n"));
    EXPECT_FALSE(std::async(std::launch::async, [&] { return cache.GetSessionInfo(9); }).get());
    h.peer.send("%2 13 0\n");
    EXPECT_FALSE(session.get());
    EXPECT_EQ(user.gaveUp.load(), 2);
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(MVCachePeerTest, AConferenceAsksForBothStatusesInOneRoundTrip)
{
    ASSERT_TRUE(h.Connect());
    const auto conf = cache.GetConference(7);
    auto count = std::async(std::launch::async, [&] { return conf->NoOfTexts(); });
    // Both requests are out before either is answered: a client that waited
    // for the first reply would never send the second here.
    ASSERT_TRUE(h.peer.expect("1 50 7\n2 78 7\n"));
    h.peer.send("=1 5HNyhet 00000000 " + kTime + " " + kTime + " 0 11 0 0 0 0 0 0 3 40\n=2 5HNyhet 00000000 42 0\n");
    EXPECT_EQ(count.get(), 40);
    EXPECT_EQ(conf->FirstLocalNo(), 3);
    EXPECT_EQ(conf->HighestLocalNo(), 42);
    EXPECT_EQ(conf->Presentation(), 11);
    EXPECT_TRUE(h.peer.quiet(50));

    // The short status first works the same way; refusals are not asked again.
    const auto other = cache.GetConference(8);
    auto highest = std::async(std::launch::async, [&] { return other->HighestLocalNo(); });
    ASSERT_TRUE(h.peer.expect("3 50 8\n4 78 8\n"));
    h.peer.send("%3 9 8\n%4 9 8\n");
    EXPECT_EQ(highest.get(), 0);
    EXPECT_EQ(other->NoOfTexts(), 0);
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(MVCachePeerTest, AConferenceStatusIsAskedForOnceWhileTwoThreadsNeedIt)
{
    ASSERT_TRUE(h.Connect());
    const auto conf = cache.GetConference(7);
    auto count = std::async(std::launch::async, [&] { return conf->NoOfTexts(); });
    ASSERT_TRUE(h.peer.expect("1 50 7\n2 78 7\n"));
    // A second reader of the other status waits for the load in progress
    // instead of asking again.
    auto highest = std::async(std::launch::async, [&] { return conf->HighestLocalNo(); });
    EXPECT_TRUE(h.peer.quiet(100));
    h.peer.send("=1 5HNyhet 00000000 " + kTime + " " + kTime + " 0 0 0 0 0 0 0 0 1 12\n=2 5HNyhet 00000000 12 0\n");
    EXPECT_EQ(count.get(), 12);
    EXPECT_EQ(highest.get(), 12);
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(MVCachePeerTest, RefusedMarksAreNotSentAgain)
{
    ASSERT_TRUE(h.Connect());
    cache.ResumeMarkRead("peer", 5);
    cache.QueueMarkRead(12, 2);
    cache.QueueMarkRead(12, 1);
    auto flush = std::async(std::launch::async, [&] { cache.FlushMarkRead(true); });
    ASSERT_TRUE(h.peer.expect(MarkLine(1, 12, 1, 2)));
    h.peer.send("%1 13 12\n");
    flush.get();
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    cache.ResumeMarkRead("peer", 5);
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(MVCachePeerTest, MarksInFlightWhenTheLinkDropsAreKept)
{
    ASSERT_TRUE(h.Connect());
    cache.ResumeMarkRead("peer", 5);
    cache.QueueMarkRead(12, 3);
    cache.QueueMarkRead(12, 4);
    cache.FlushMarkRead(false);
    ASSERT_TRUE(h.peer.expect(MarkLine(1, 12, 3, 4)));
    h.peer.close();  // never answered
    EXPECT_TRUE(WaitUntil([&] { return cache.PendingMarkReadCount() == 2; }));
}

TEST_F(MVCachePeerTest, KeptMarksGoOutInBatchesAfterTheNextLogon)
{
    cache.ResumeMarkRead("peer", 5);
    // Offline: every flush, the automatic one at the 31st number included,
    // fails at once and keeps its numbers.
    for (int32_t local = 1; local <= 40; ++local)
        cache.QueueMarkRead(12, local);
    cache.FlushMarkRead(true);
    EXPECT_EQ(cache.PendingMarkReadCount(), 40);

    ASSERT_TRUE(h.Connect());
    cache.ResumeMarkRead("peer", 5);
    // The two offline attempts used ids 1 and 2.
    ASSERT_TRUE(h.peer.expect(MarkLine(3, 12, 1, 31)));
    ASSERT_TRUE(h.peer.expect(MarkLine(4, 12, 32, 40)));
    h.peer.send("=3\n=4\n");
    EXPECT_TRUE(WaitUntil([&] { return h.client.Transactions().ActiveCount() == 0; }));
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
}

TEST_F(MVCachePeerTest, AnotherServerDropsKeptMarks)
{
    cache.ResumeMarkRead("peer", 5);
    cache.QueueMarkRead(12, 1);
    cache.FlushMarkRead(true);
    cache.QueueMarkRead(12, 2);
    EXPECT_EQ(cache.PendingMarkReadCount(), 2);
    ASSERT_TRUE(h.Connect());
    cache.ResumeMarkRead("another server", 5);
    EXPECT_EQ(cache.PendingMarkReadCount(), 0);
    cache.FlushMarkRead(false);
    EXPECT_TRUE(h.peer.quiet(50));
}

TEST_F(MVCachePeerTest, ClearingKeepsTheQueue)
{
    ASSERT_TRUE(h.Connect());
    cache.QueueMarkRead(4, 8);
    cache.ClearAllCaches();
    EXPECT_EQ(cache.PendingMarkReadCount(), 1);
    cache.FlushMarkRead(false);
    EXPECT_TRUE(h.peer.expect(MarkLine(1, 4, 8, 8)));
}

} // namespace
} // namespace pellar::test
