#include "core/wire/TMiravoConference.h"

#include <gtest/gtest.h>

#include "support/FakeRecordServices.h"

namespace pellar {
namespace {

using test::FakeRecordServices;

// Conference 5 with the local numbers 1 to 10.
class ConferenceTest : public ::testing::Test {
protected:
    FakeRecordServices services;
    std::shared_ptr<TMiravoConference> conf = services.AddConference(5, 1, 10);
};

TEST_F(ConferenceTest, FullStatusLoadsOnceOnFirstUse)
{
    EXPECT_EQ(conf->Presentation(), 77);
    EXPECT_EQ(conf->NoOfTexts(), 10);
    EXPECT_EQ(conf->FirstLocalNo(), 1);
    EXPECT_EQ(services.fullLoads, 1);
    EXPECT_EQ(services.shortLoads, 0);
    EXPECT_EQ(conf->Name(), "Full"); // the full status carries the name
    EXPECT_EQ(services.shortLoads, 0);
    EXPECT_EQ(conf->HighestLocalNo(), 10);
    EXPECT_EQ(services.shortLoads, 1);
    EXPECT_FALSE(services.loadedUnderLock);
}

TEST_F(ConferenceTest, NameLoadsShortStatusWhenNothingIsLoaded)
{
    EXPECT_EQ(conf->Name(), "short name");
    EXPECT_EQ(services.fullLoads, 0);
    EXPECT_EQ(services.shortLoads, 1);
}

TEST_F(ConferenceTest, FailedLoadIsNotRetried)
{
    TMiravoConference unknown(6, &services); // the fake knows nothing of 6
    EXPECT_EQ(unknown.Supervisor(), 0);
    EXPECT_EQ(unknown.MsgOfDay(), 0);
    EXPECT_EQ(services.fullLoads, 1);
    EXPECT_TRUE(unknown.FullLoaded());
}

TEST_F(ConferenceTest, AnUnansweredLoadIsAskedAgainAndNotReadAsEmpty)
{
    services.unanswered = true;  // the user cancelled the wait, or the link went
    EXPECT_EQ(conf->Presentation(), 0);
    EXPECT_FALSE(conf->FullLoaded());
    EXPECT_EQ(conf->HighestLocalNo(), 0);
    EXPECT_FALSE(conf->ShortLoaded());
    EXPECT_EQ(services.fullLoads, 1);
    EXPECT_EQ(services.shortLoads, 1);

    services.unanswered = false;
    EXPECT_EQ(conf->Presentation(), 77);
    EXPECT_EQ(conf->NoOfTexts(), 10);
    EXPECT_EQ(conf->HighestLocalNo(), 10);
    EXPECT_EQ(services.fullLoads, 2);
    EXPECT_EQ(services.shortLoads, 2);
}

TEST_F(ConferenceTest, GlobalOfWithoutFetchSendsNothing)
{
    EXPECT_EQ(conf->GlobalOf(3, true), -1);
    EXPECT_TRUE(services.mapLoads.empty());
    EXPECT_EQ(services.fullLoads, 0);
}

TEST_F(ConferenceTest, GlobalOfFetchesOneBlockAndMerges)
{
    conf = services.AddConference(5, 1, 200);
    for (int32_t l = 1; l <= 200; ++l)
        services.textMaps[5][l] = 1000 + l;
    conf->SetGlobal(12, 5555); // known already: kept over what the fetch brings
    EXPECT_EQ(conf->GlobalOf(10, false), 1010);
    ASSERT_EQ(services.mapLoads.size(), 1u);
    EXPECT_EQ(services.mapLoads[0], std::make_tuple(5, 10, 80));
    EXPECT_EQ(conf->GlobalOf(12, true), 5555);
    EXPECT_EQ(conf->GlobalOf(89, true), 1089);
    EXPECT_EQ(conf->GlobalOf(90, true), -1);
    // Near the end the block is cut to the texts that exist.
    EXPECT_EQ(conf->GlobalOf(190, false), 1190);
    EXPECT_EQ(services.mapLoads[1], std::make_tuple(5, 190, 11));
    EXPECT_FALSE(services.loadedUnderLock);
}

TEST_F(ConferenceTest, GlobalOfBeyondTheEndAsksNothing)
{
    EXPECT_EQ(conf->GlobalOf(11, false), -1);
    EXPECT_TRUE(services.mapLoads.empty());
}

TEST_F(ConferenceTest, SetGlobalExtendsTheConference)
{
    conf->NoOfTexts();
    conf->HighestLocalNo();
    conf->SetGlobal(15, 900);
    EXPECT_EQ(conf->HighestLocalNo(), 15);
    EXPECT_EQ(conf->NoOfTexts(), 15);
    conf->SetGlobal(15, 901); // overwritten
    EXPECT_EQ(conf->GlobalOf(15, true), 901);
    conf->SetGlobal(3, 0);
    EXPECT_EQ(conf->HighestLocalNo(), 15);
    EXPECT_EQ(conf->GlobalOf(3, true), 0);
}

TEST_F(ConferenceTest, FindNextTextMarksEmptyLocalsRead)
{
    services.textMaps[5] = {{1, 0}, {2, 0}, {4, 104}, {5, 105}}; // 3 absent, 1 and 2 gone
    TMiravoMembership m(5, &services);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), 4);
    EXPECT_EQ(m.LastTextRead(), 3);
    EXPECT_EQ(services.marked, (std::vector<std::pair<int32_t, int32_t>>{{5, 1}, {5, 2}, {5, 3}}));

    m.MarkRead(4, false);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), 5);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, false), 4); // read ones count without skipRead
}

TEST_F(ConferenceTest, FindNextTextMarksNothingReadWhileTheMapDoesNotCome)
{
    services.textMaps[5] = {{4, 104}, {5, 105}};
    TMiravoMembership m(5, &services);
    EXPECT_EQ(conf->Presentation(), 77);  // the status came before the link went
    services.unanswered = true;
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), -1);
    EXPECT_EQ(m.LastTextRead(), 0);
    EXPECT_TRUE(services.marked.empty());

    // Nor without the conference's status: its numbers are not known.
    TMiravoConference unknown(6, &services);
    TMiravoMembership other(6, &services);
    EXPECT_EQ(unknown.FindNextText(1, 10, &other, true), -1);
    EXPECT_TRUE(services.marked.empty());

    services.unanswered = false;
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), 4);
    EXPECT_EQ(services.marked, (std::vector<std::pair<int32_t, int32_t>>{{5, 1}, {5, 2}, {5, 3}}));
}

TEST_F(ConferenceTest, FindNextTextEdges)
{
    TMiravoMembership m(5, &services);
    EXPECT_EQ(conf->FindNextText(1, 10, nullptr, true), -1);
    EXPECT_EQ(conf->FindNextText(5, 4, &m, true), -1);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), -1); // nothing anywhere
    EXPECT_EQ(m.LastTextRead(), 10);
    // The loop must end at the top of the number range.
    conf->SetGlobal(INT32_MAX, 0);
    EXPECT_EQ(conf->FindNextText(INT32_MAX, INT32_MAX, &m, false), -1);
}

} // namespace
} // namespace pellar
