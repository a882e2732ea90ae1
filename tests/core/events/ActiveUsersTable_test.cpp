#include "core/events/ActiveUsersTable.h"

#include <gtest/gtest.h>

#include "support/FakeLocale.h"

namespace pellar {
namespace {

std::vector<int32_t> Sessions(const ActiveUsersTable& t)
{
    std::vector<int32_t> s;
    for (const auto& row : t.Rows())
        s.push_back(row.Session());
    return s;
}

TEST(ActiveUsersTable, WhoIsOnReplyIsParsedAndBoundedByTheBytes)
{
    auto recs = ParseWhoIsOn("2 { 3 6 12 125 00000000 4Hread 5 7 0 0 10000000 0H }");
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].session, 3);
    EXPECT_EQ(recs[0].person, 6);
    EXPECT_EQ(recs[0].workingConf, 12);
    EXPECT_EQ(recs[0].idleSeconds, 125);
    EXPECT_EQ(recs[0].doing, "read");
    EXPECT_EQ(recs[1].flags, "10000000");
    EXPECT_TRUE(ParseWhoIsOn("0 *").empty());
    // A count far beyond the data reads only what is there.
    EXPECT_EQ(ParseWhoIsOn("2000000000 { 3 6 12 125 00000000 4Hread").size(), 1u);
    EXPECT_TRUE(ParseWhoIsOn("").empty());
}

TEST(ActiveUsersTable, QuickFillShowsNumbersUntilTheSlowFillNamesThem)
{
    ActiveUsersTable t;
    const auto recs = ParseWhoIsOn("3 { 1 6 12 125 0 0H 2 7 0 59 0 0H 4 8 12 0 0 4Hread }");
    for (const auto& r : recs)
        t.QuickFill(r, "", "");
    ASSERT_EQ(t.Count(), 3);
    EXPECT_EQ(t.Rows()[0].cells[colUser], "6");
    EXPECT_EQ(t.Rows()[0].cells[colConference], "12");
    EXPECT_EQ(t.Rows()[0].cells[colIdle], "2");
    EXPECT_EQ(t.Rows()[1].cells[colIdle], "0");
    t.SlowFill(recs[0], "Demo User", "Welcome", ClientDescription("pellar", "0.1"), "demo", "localhost", "id");
    EXPECT_EQ(t.Rows()[0].cells[colUser], "Demo User");
    EXPECT_EQ(t.Rows()[0].cells[colClient], "pellar (0.1)");
    EXPECT_EQ(ClientDescription("", ""), "");
    // A second complete update refreshes rows rather than duplicating them.
    t.QuickFill(recs[2], "Lena", "");
    EXPECT_EQ(t.Count(), 3);
}

TEST(ActiveUsersTable, NoticesAddRemoveAndUpdateRowsBySession)
{
    ActiveUsersTable t;
    t.AddSession(5, "Anna", "c (1)", "anna", "h", "i");
    t.UpdatePresence("Ignored", "General", 5, "write");
    EXPECT_EQ(t.Rows()[0].cells[colUser], "Anna");
    EXPECT_EQ(t.Rows()[0].cells[colActivity], "write");
    // A report for an unknown session adds a row with the name and idle 0.
    t.UpdatePresence("Erik", "Music", 9, "read");
    ASSERT_EQ(t.Count(), 2);
    EXPECT_EQ(t.Rows()[1].cells[colUser], "Erik");
    EXPECT_EQ(t.Rows()[1].cells[colIdle], "0");
    t.IdleTick();
    t.IdleTick();
    EXPECT_EQ(t.Rows()[1].cells[colIdle], "2");
    t.RemoveSession(5);
    t.RemoveSession(77);
    EXPECT_EQ(Sessions(t), std::vector<int32_t>{9});
    t.FindOrAdd(3).cells[colIdle] = "n/a";
    t.IdleTick();
    EXPECT_EQ(t.Rows()[1].cells[colIdle], "1");
}

TEST(ActiveUsersTable, SortingPerColumnWithItsTieBreak)
{
    ActiveUsersTable t;
    t.AddSession(30, "bo", "", "x", "", "");
    t.AddSession(10, "Bo", "", "y", "", "");
    t.AddSession(20, "anna", "", "Y", "", "");
    t.AddSession(2, "Cecilia", "", "x", "", "");
    t.Sort(colUser);
    EXPECT_EQ(Sessions(t), (std::vector<int32_t>{20, 10, 30, 2}));  // equal names in session order
    t.Sort(colSession);
    EXPECT_EQ(Sessions(t), (std::vector<int32_t>{2, 10, 20, 30}));
    t.Sort(colAccount);
    EXPECT_EQ(Sessions(t).front(), 30);  // "x" ties broken by user: bo < Cecilia
    EXPECT_EQ(Sessions(t)[1], 2);
    t.FindOrAdd(2).cells[colIdle] = "10";
    t.FindOrAdd(10).cells[colIdle] = "9";
    t.Sort(colIdle);
    EXPECT_EQ(Sessions(t).back(), 2);
    EXPECT_EQ(Sessions(t)[2], 10);
}

// Names are ordered by the locale the table was given, in every column that
// compares text and in the user tie-break.
TEST(ActiveUsersTable, NamesAreOrderedByTheLocaleGiven)
{
    const test::FakeLocale locale;
    ActiveUsersTable t(locale);
    t.AddSession(4, "bertil", "", "\xC4", "", "");
    t.AddSession(3, "\xE5sa", "", "a", "", "");
    t.AddSession(1, "\xC4rger", "", "A", "", "");
    t.AddSession(2, "\xC5sa", "", "b", "", "");
    t.Sort(colUser);
    // "Ärger" files under "a", before "bertil"; "Åsa" and "åsa" are one name,
    // so their sessions decide.
    EXPECT_EQ(Sessions(t), (std::vector<int32_t>{1, 2, 3, 4}));
    t.Sort(colAccount);
    // "Ä", "a" and "A" are equal: the user names decide among them.
    EXPECT_EQ(Sessions(t), (std::vector<int32_t>{1, 3, 4, 2}));

    // The plain locale (the default) keeps bytes beyond ASCII apart, after "b".
    ActiveUsersTable plain;
    plain.AddSession(1, "\xC4rger", "", "", "", "");
    plain.AddSession(2, "bertil", "", "", "", "");
    plain.AddSession(3, "\xE5sa", "", "", "", "");
    plain.AddSession(4, "\xC5sa", "", "", "", "");
    plain.Sort(colUser);
    EXPECT_EQ(Sessions(plain), (std::vector<int32_t>{2, 1, 4, 3}));
}

} // namespace
} // namespace pellar
