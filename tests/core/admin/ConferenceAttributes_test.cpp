#include "core/admin/ConferenceAttributes.h"

#include <gtest/gtest.h>

#include "support/FakeWritingServices.h"

namespace pellar {
namespace {

using test::FakeWritingServices;

class ConferenceAttributesTest : public ::testing::Test {
protected:
    ConferenceAttributesTest()
    {
        record = services.AddConference(20, "Talk", "00000000", 30);
        record->SetSupervisor(6);
        services.replies[78] = {true, " 4HTalk 00100000 12 0"};
    }

    FakeWritingServices services;
    std::shared_ptr<TMiravoConference> record;
    ConferenceAttributes attributes{services, 20};
    std::string error;
};

TEST_F(ConferenceAttributesTest, LoadReadsTypeFromShortStatusAndLinksFromRecord)
{
    const auto view = attributes.Load(error);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->name, "Talk");
    EXPECT_EQ(view->checks, (ConferenceTypeChecks{true, true, true, false}));
    EXPECT_EQ(view->superConf, 30);
    EXPECT_EQ(view->supervisor, 6);
    ASSERT_EQ(services.sent.size(), 1u);
    EXPECT_EQ(services.sent[0].label, "Set uconf stat");
    EXPECT_EQ(services.sent[0].args, "20");
}

TEST_F(ConferenceAttributesTest, LoadFailures)
{
    ConferenceAttributes unknown(services, 99);
    EXPECT_FALSE(unknown.Load(error));
    EXPECT_EQ(error, "Unable to get conf stat!");
    EXPECT_TRUE(services.sent.empty());

    services.replies[78] = {false, ""};
    EXPECT_FALSE(attributes.Load(error));
    EXPECT_EQ(error, "Unable to get conference info");
}

TEST_F(ConferenceAttributesTest, SaveSendsAllThreeAndGoesOnAfterAFailure)
{
    services.replies[20] = {false, ""};
    const auto errors = attributes.Save({true, true, true, false}, 40, std::nullopt);
    EXPECT_EQ(errors, std::vector<std::string>{"Unable to set Super Conf"});
    ASSERT_EQ(services.sent.size(), 3u);
    EXPECT_EQ(services.sent[0].number, 21);
    EXPECT_EQ(services.sent[0].args, "20 00100000");
    EXPECT_EQ(services.sent[1].number, 20);
    EXPECT_EQ(services.sent[1].args, "20 40");
    EXPECT_EQ(services.sent[2].number, 18);
    EXPECT_EQ(services.sent[2].args, "20 -1");
    // What the server accepted shows at the reload; the refused value does not.
    const auto view = attributes.Load(error);
    ASSERT_TRUE(view);
    EXPECT_EQ(record->Snapshot().type, "00100000");
    EXPECT_EQ(view->superConf, 30);
    EXPECT_EQ(view->supervisor, -1);
}

} // namespace
} // namespace pellar
