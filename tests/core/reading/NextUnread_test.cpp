#include "core/reading/NextUnread.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/reading/FakeReadingServices.h"
#include "core/reading/TCurrentReadStatus.h"
#include "support/MiscItems.h"

namespace pellar {
namespace {

using test::FakeReadingServices;

// Reads the conference through as the worker would, marking each text read
// (with its footnotes when asked) before asking for the next.
std::vector<int32_t> ReadThrough(FakeReadingServices& w, int32_t conf, bool footnotesWithText,
                                 const ExclusionList* exclusion = nullptr)
{
    auto status = std::make_unique<TCurrentReadStatus>();
    status->SetConference(conf);
    std::vector<int32_t> order;
    for (int guard = 0; guard < 20000; ++guard) {
        const int32_t t = GetNextUnread(w, *status, w.Membership(conf).get(), exclusion);
        if (t == -1)
            break;
        order.push_back(t);
        status->SetCurrentText(t);
        MarkTextRead(w, t, footnotesWithText);
    }
    return order;
}

// Root 100 with footnotes 101, 102 and comments 103, 104, 105; 106 comments
// 103, 107 comments the footnote 101; then a second root 200.
class TreeWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.Joined({1});
        w.Post(100, "Root", {1});
        w.Post(101, "Foot one", {1}, 0, 100);
        w.Post(103, "Comment one", {1}, 100);
        w.Post(102, "Foot two", {1}, 0, 100);
        w.Post(104, "Comment two", {1}, 100);
        w.Post(105, "Comment three", {1}, 100);
        w.Post(106, "Reply", {1}, 103);
        w.Post(107, "On the footnote", {1}, 101);
        w.Post(200, "Second root", {1});
    }
    FakeReadingServices w;
};

TEST_F(TreeWorld, FootnotesComeBeforeCommentsEachWithItsSubtreeThenTheNextRoot)
{
    EXPECT_EQ(ReadThrough(w, 1, false), (std::vector<int32_t>{100, 101, 107, 102, 103, 106, 104, 105, 200}));
}

TEST_F(TreeWorld, FootnotesReadWithTheirTextAreNotOfferedAgainButTheirCommentsAre)
{
    // The article shows footnotes inline, so reading marks them too; a
    // comment to a footnote is then reached by its local number.
    EXPECT_EQ(ReadThrough(w, 1, true), (std::vector<int32_t>{100, 103, 106, 104, 105, 107, 200}));
}

TEST_F(TreeWorld, AfterTheDeepestChildTheParentsArePoppedAndExaminedAgain)
{
    auto status = std::make_unique<TCurrentReadStatus>();
    status->SetConference(1);
    auto m = w.Membership(1);
    for (int32_t expected : {100, 103, 106}) {
        const int32_t t = GetNextUnread(w, *status, m.get(), nullptr);
        ASSERT_EQ(t, expected);
        status->SetCurrentText(t);
        MarkTextRead(w, t, true);
    }
    EXPECT_EQ(status->Count(), 2);  // 100 and 103 wait to be revisited
    EXPECT_EQ(GetNextUnread(w, *status, m.get(), nullptr), 104);
    EXPECT_EQ(status->Count(), 1);  // 103 had nothing more; 100 pushed back
}

TEST_F(TreeWorld, ExcludedTextsAreSkippedAndLogged)
{
    ExclusionList exclusion;
    exclusion.Add(100);
    exclusion.Add(103);
    const auto order = ReadThrough(w, 1, false, &exclusion);
    EXPECT_TRUE(w.Logged("[GetNextUnreadRoot] Rejected 100 by explicit exclution"));
    EXPECT_EQ(std::count(order.begin(), order.end(), 100), 0);
    EXPECT_EQ(std::count(order.begin(), order.end(), 103), 0);
    // 106's parent was excluded: it is reached by its local number instead.
    EXPECT_EQ(std::count(order.begin(), order.end(), 106), 1);
}

TEST(NextUnread, NoMembershipGivesNothing)
{
    FakeReadingServices w;
    w.AddConference(1);
    w.Post(10, "x", {1});
    TCurrentReadStatus status;
    status.SetConference(1);
    EXPECT_EQ(GetNextUnread(w, status, nullptr, nullptr), -1);
    EXPECT_TRUE(w.statLookups.empty());
}

TEST(NextUnread, ATextReadInOneConferenceIsStillOfferedInAnother)
{
    FakeReadingServices w;
    w.Joined({1, 2});
    w.Post(300, "Both", {1, 2});
    w.Membership(1)->MarkRead(w.LocalOf(300, 1), false);
    EXPECT_EQ(ReadThrough(w, 2, true), std::vector<int32_t>{300});
    // Once read in both it is rejected with one line per conference.
    EXPECT_FALSE(CheckGlobalText(w, 300));
    EXPECT_TRUE(w.Logged("[CheckGlobalText] Rejected 300 as it is already read in conf: 1"));
    EXPECT_TRUE(w.Logged("[CheckGlobalText] Rejected 300 as it is already read in conf: 2"));
}

TEST(NextUnread, DeletedLocalNumbersAreMarkedReadWithNoticeOnTheWay)
{
    FakeReadingServices w;
    w.Joined({1});
    w.Post(10, "a", {1});
    const int32_t gap = w.NextLocal(1, 0);
    w.Post(11, "b", {1});
    EXPECT_EQ(ReadThrough(w, 1, true), (std::vector<int32_t>{10, 11}));
    EXPECT_TRUE(w.Membership(1)->IsRead(gap));
    EXPECT_NE(std::find(w.records.marked.begin(), w.records.marked.end(), std::make_pair(1, gap)),
              w.records.marked.end());
}

TEST(NextUnread, ARejectedRootIsMarkedReadAndTheSameCallGoesOn)
{
    FakeReadingServices w;
    w.Joined({1});
    w.Post(10, "a", {1});
    // 11 sits in conference 1's map but its status names only conference 3.
    w.Stat(11).SetHeader(0, 1, 1, 1, 0);
    const int32_t stray = w.NextLocal(1, 11);
    w.Stat(11).AddMiscInfo(test::Recipient(3, 1));
    w.Post(12, "c", {1});
    w.Membership(1)->MarkRead(w.LocalOf(10, 1), false);

    TCurrentReadStatus status;
    status.SetConference(1);
    EXPECT_EQ(GetNextUnread(w, status, w.Membership(1).get(), nullptr), 12);
    EXPECT_TRUE(w.Logged("[CheckGlobalText] Rejected 11 on non membership in conf: 3"));
    // Marked, so the conference does not keep counting it unread.
    EXPECT_TRUE(w.Membership(1)->IsRead(stray));
    const size_t lines = w.log.size();
    w.Membership(1)->MarkRead(w.LocalOf(12, 1), false);
    status.SetCurrentText(12);
    EXPECT_EQ(GetNextUnread(w, status, w.Membership(1).get(), nullptr), -1);
    EXPECT_EQ(w.log.size(), lines);
}

TEST(CheckGlobalText, EachRejectionHasItsLogLine)
{
    FakeReadingServices w;
    w.Joined({1, 4});
    w.hiddenConfs.insert(4);
    const int32_t deleted = w.NextLocal(1, 0);
    w.Stat(20).AddMiscInfo(test::Recipient(4, 1));        // conference record not available
    w.Stat(20).AddMiscInfo(test::Recipient(1, deleted));  // no text behind the local number
    struct Case {
        int32_t text;
        const char* line;
    } cases[] = {
        {0, "[CheckGlobalText] Rejected 0 on illeagal text number"},
        {-5, "[CheckGlobalText] Rejected -5 on illeagal text number"},
        {999, "[CheckGlobalText] Rejected 999 on illeagal text number"},
        {20, "[CheckGlobalText] Rejected 20 on non available conf info for conf: 4"},
        {20, "[CheckGlobalText] Rejected 20 on non available GText mapping for LText: 1 in conf: 1"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(CheckGlobalText(w, c.text)) << c.text;
        EXPECT_TRUE(w.Logged(c.line)) << c.line;
    }
}

TEST(IsAddedTextWanted, DropsATextUnreadOnlyThroughAnAddedRecipientAndReadElsewhere)
{
    FakeReadingServices w;
    w.Joined({1, 2});
    w.Post(30, "x", {1});
    w.AddRecipient(30, 2, 7);  // person 7 added conference 2
    w.Membership(1)->MarkRead(w.LocalOf(30, 1), false);
    EXPECT_FALSE(IsAddedTextWanted(w, 30));
    EXPECT_TRUE(w.IsReadIn(30, 2));
}

TEST(IsAddedTextWanted, KeepsTextsUnreadThroughTheirOwnRecipients)
{
    FakeReadingServices w;
    w.Joined({1, 2});
    w.Post(31, "added, nowhere read", {});
    w.AddRecipient(31, 2, 7);
    w.Post(32, "own and added", {1});
    w.AddRecipient(32, 2, 7);
    w.Post(33, "all read", {1});
    w.Membership(1)->MarkRead(w.LocalOf(33, 1), false);
    EXPECT_TRUE(IsAddedTextWanted(w, 31));
    EXPECT_TRUE(IsAddedTextWanted(w, 32));
    EXPECT_FALSE(IsAddedTextWanted(w, 33));
    EXPECT_FALSE(IsAddedTextWanted(w, 999));
    EXPECT_FALSE(w.IsReadIn(32, 2));
}

TEST_F(TreeWorld, MarkTreeReadMarksTheWholeTreeAndNothingElse)
{
    MarkTreeRead(w, 100);
    for (int32_t t : {100, 101, 102, 103, 104, 105, 106, 107})
        EXPECT_TRUE(w.IsReadIn(t, 1)) << t;
    EXPECT_FALSE(w.IsReadIn(200, 1));
    EXPECT_FALSE(w.records.marked.empty());
}

TEST_F(TreeWorld, MarkTextReadTakesFootnotesOnlyWhenAsked)
{
    MarkTextRead(w, 100, false);
    EXPECT_FALSE(w.IsReadIn(101, 1));
    MarkTextRead(w, 100, true);
    EXPECT_TRUE(w.IsReadIn(101, 1));
    EXPECT_TRUE(w.IsReadIn(102, 1));
    EXPECT_FALSE(w.IsReadIn(103, 1));
    EXPECT_FALSE(w.IsReadIn(107, 1));
}

// A server may present links that loop: a text commenting its own descendant.
class CycleWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.AddConference(1);
        w.AddConference(9);  // not a member: the visited list does not see these
        w.Join(1);
        w.Post(500, "A", {1});
        w.Post(501, "B", {1}, 500);
        w.Link(500, 501, false);  // A also comments B
        w.Post(600, "C", {9});
        w.Post(601, "D", {9}, 600);
        w.Link(600, 601, false);
        w.Post(700, "E", {9});
        w.Post(701, "F", {9}, 0, 700);
        w.Link(700, 701, true);   // footnotes of each other
    }
    FakeReadingServices w;
};

TEST_F(CycleWorld, MarkingWalksEnd)
{
    MarkTreeRead(w, 500);
    EXPECT_TRUE(w.IsReadIn(500, 1));
    EXPECT_TRUE(w.IsReadIn(501, 1));
    MarkTreeRead(w, 600);
    MarkTextRead(w, 700, true);
    SUCCEED();
}

TEST_F(CycleWorld, FindRootTextEnds)
{
    const int32_t root = FindRootText(w, 500);
    EXPECT_TRUE(root == 500 || root == 501);
    EXPECT_EQ(FindRootText(w, 601), 600);  // 601 -> 600 -> 601 again: stop at 600
}

TEST_F(CycleWorld, ReadingThroughACycleOffersEachTextOnce)
{
    EXPECT_EQ(ReadThrough(w, 1, true), (std::vector<int32_t>{500, 501}));
}

TEST(FindRootText, AFootnoteToACommentLeadsToTheRootOfTheCommentsTree)
{
    FakeReadingServices w;
    w.AddConference(1);
    w.Post(1, "root", {1});
    w.Post(2, "comment", {1}, 1);
    w.Post(3, "footnote", {1}, 0, 2);
    EXPECT_EQ(FindRootText(w, 3), 1);
    EXPECT_EQ(FindRootText(w, 1), 1);
    EXPECT_EQ(FindRootText(w, 99), 0);
    w.Post(4, "comment to a lost text", {1}, 98);
    w.stats.erase(98);
    EXPECT_EQ(FindRootText(w, 4), 0);
}

TEST(PrefetchText, FetchesBodyNamesAndLinkedTextsOnce)
{
    FakeReadingServices w;
    w.AddConference(1);
    w.Post(10, "parent", {1}, 0, 0, 21);
    w.Post(11, "the text", {1}, 10, 0, 22);
    w.Post(12, "a comment", {1}, 11, 0, 23);
    w.Post(13, "footnoted", {1}, 0, 0, 24);
    w.Link(11, 13, true);  // 11 is a footnote to 13
    w.cachedNames = {1, 21};
    w.statLookups.clear();

    PrefetchText(w, 11);
    auto has = [](const std::vector<int32_t>& v, int32_t x) { return std::find(v.begin(), v.end(), x) != v.end(); };
    for (int32_t t : {11, 10, 12, 13})
        EXPECT_TRUE(has(w.textLookups, t)) << "body " << t;
    EXPECT_TRUE(has(w.statLookups, 10));
    EXPECT_TRUE(has(w.statLookups, 12));
    EXPECT_FALSE(has(w.statLookups, 13)) << "a footnoted text needs its body only";
    // Author of 11 and of the linked texts that have statuses; cached ones not.
    std::vector<int32_t> fetched = w.nameFetches;
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(fetched, (std::vector<int32_t>{22, 23}));
    EXPECT_LE(w.togetherCalls, 2);
}

TEST(PrefetchText, NothingForATextWithoutStatus)
{
    FakeReadingServices w;
    PrefetchText(w, 5);
    EXPECT_TRUE(w.textLookups.empty());
}

TEST(NextUnread, AChainDeeperThanTheStackIsReadCompletelyAndOnce)
{
    FakeReadingServices w;
    w.Joined({1});
    const int32_t depth = TCurrentReadStatus::kStackSize + 200;
    w.Post(1, "root", {1});
    for (int32_t t = 2; t <= depth; ++t)
        w.Post(t, "chain", {1}, t - 1);
    w.Post(depth + 1, "second comment to the root", {1}, 1);
    const auto order = ReadThrough(w, 1, true);
    ASSERT_EQ(order.size(), static_cast<size_t>(depth + 1));
    for (int32_t t = 1; t <= depth; ++t)
        ASSERT_EQ(order[static_cast<size_t>(t - 1)], t);
    EXPECT_EQ(order.back(), depth + 1);
}

} // namespace
} // namespace pellar
