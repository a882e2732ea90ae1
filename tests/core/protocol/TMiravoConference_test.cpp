#include "core/protocol/TMiravoConference.h"

#include <gtest/gtest.h>

#include "support/FakeRecordServices.h"

namespace pellar {
namespace {

using test::FakeRecordServices;

std::shared_ptr<TMiravoConference> MakeConf(FakeRecordServices& services, int32_t first, int32_t count)
{
    auto conf = std::make_shared<TMiravoConference>(5, &services);
    services.conferences[5] = conf;
    ConfStatFields f;
    f.name = "Full";
    f.presentation = 77;
    f.firstLocalNo = first;
    f.noOfTexts = count;
    services.fullStatus[5] = f;
    services.highestLocal[5] = first + count - 1;
    return conf;
}

TEST(TMiravoConferenceBase, FullStatusLoadsOnceOnFirstUse)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
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

TEST(TMiravoConferenceBase, NameLoadsShortStatusWhenNothingIsLoaded)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
    EXPECT_EQ(conf->Name(), "short name");
    EXPECT_EQ(services.fullLoads, 0);
    EXPECT_EQ(services.shortLoads, 1);
}

TEST(TMiravoConferenceBase, FailedLoadIsNotRetried)
{
    FakeRecordServices services;
    TMiravoConference conf(6, &services); // the fake knows nothing of 6
    EXPECT_EQ(conf.Supervisor(), 0);
    EXPECT_EQ(conf.MsgOfDay(), 0);
    EXPECT_EQ(services.fullLoads, 1);
    EXPECT_TRUE(conf.FullLoaded());
}

TEST(TMiravoConference, GlobalOfWithoutFetchSendsNothing)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
    EXPECT_EQ(conf->GlobalOf(3, true), -1);
    EXPECT_TRUE(services.mapLoads.empty());
    EXPECT_EQ(services.fullLoads, 0);
}

TEST(TMiravoConference, GlobalOfFetchesOneBlockAndMerges)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 200);
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

TEST(TMiravoConference, GlobalOfBeyondTheEndAsksNothing)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
    EXPECT_EQ(conf->GlobalOf(11, false), -1);
    EXPECT_TRUE(services.mapLoads.empty());
}

TEST(TMiravoConference, SetGlobalExtendsTheConference)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
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

TEST(TMiravoConference, FindNextTextMarksEmptyLocalsRead)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
    services.textMaps[5] = {{1, 0}, {2, 0}, {4, 104}, {5, 105}}; // 3 absent, 1 and 2 gone
    TMiravoMembership m(5, &services);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), 4);
    EXPECT_EQ(m.LastTextRead(), 3);
    EXPECT_EQ(services.marked, (std::vector<std::pair<int32_t, int32_t>>{{5, 1}, {5, 2}, {5, 3}}));

    m.MarkRead(4, false);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, true), 5);
    EXPECT_EQ(conf->FindNextText(1, 10, &m, false), 4); // read ones count without skipRead
}

TEST(TMiravoConference, FindNextTextEdges)
{
    FakeRecordServices services;
    auto conf = MakeConf(services, 1, 10);
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
