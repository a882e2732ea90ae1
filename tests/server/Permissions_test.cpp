// What a user may and may not do: refusals with the codes clients know.
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

// Anna (1) supervises a closed conference (3) and a secret one (4); Bert (2)
// is an ordinary user; General (5) is open.
class PermissionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        anna = std::make_unique<RawClient>(server->Port());
        bert = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(anna->Greet("anna"));
        ASSERT_TRUE(bert->Greet("bert"));
        ASSERT_EQ(anna->Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(anna->Call("5 4HBert 2Hpw"), "=2 2");
        ASSERT_EQ(anna->Call("62 1 2Hpw 0"), "=3");
        ASSERT_EQ(bert->Call("62 2 2Hpw 0"), "=1");
        ASSERT_EQ(anna->Call("10 6HClosed 10000000"), "=4 3");
        ASSERT_EQ(anna->Call("10 6HSecret 10100000"), "=5 4");
        ASSERT_EQ(anna->Call("10 7HGeneral 00000000"), "=6 5");
        ASSERT_EQ(anna->Call("14 3 1 100 0"), "=7");
        ASSERT_EQ(anna->Call("14 4 1 100 0"), "=8");
        ASSERT_EQ(anna->Call("86 8HPrivate\n 1 { 0 3 } 0 *"), "=9 1");
        ASSERT_EQ(anna->Call("86 7HSecret\n 1 { 0 4 } 0 *"), "=10 2");
        ASSERT_EQ(anna->Call("86 5HOpen\n 1 { 0 5 } 0 *"), "=11 3");
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> anna, bert;
};

TEST_F(PermissionsTest, NothingButTheBasicsBeforeLogon)
{
    RawClient guest(server->Port());
    ASSERT_TRUE(guest.Greet());
    EXPECT_EQ(guest.Call("50 5"), "%1 6 0");
    EXPECT_EQ(guest.Call("25 3 0 65535"), "%2 6 0");
    EXPECT_EQ(guest.Call("36"), "=3 20100 0 0 0 0 0");
    // Anonymous texts only where the conference allows them.
    EXPECT_EQ(guest.Call("86 2Hx\n 1 { 0 5 } 0 *"), "%4 47 5");
}

TEST_F(PermissionsTest, SecretConferenceIsInvisibleToNonMembers)
{
    EXPECT_EQ(bert->Call("50 4"), "%2 9 4");
    EXPECT_EQ(bert->Call("76 6HSecret 0 1"), "=3 0 *");
    EXPECT_EQ(bert->Call("14 4 2 100 0"), "%4 9 4");
    EXPECT_EQ(bert->Call("26 2"), "%5 14 2");
    EXPECT_EQ(anna->Call("76 6HSecret 0 1"), "=12 1 { 6HSecret 10100000 4 }");
    // Secret without read protection: its texts still stay with its members.
    ASSERT_EQ(anna->Call("10 6HHidden 00100000"), "=13 6");
    ASSERT_EQ(anna->Call("86 7HHidden\n 1 { 0 6 } 0 *"), "=14 4");
    EXPECT_EQ(bert->Call("25 4 0 65535"), "%6 14 4");
}

TEST_F(PermissionsTest, ClosedConferenceTextsOnlyForMembers)
{
    EXPECT_WIRE(bert->Call("78 3"), "=2 6HClosed 10000000 1 77");
    EXPECT_EQ(bert->Call("25 1 0 65535"), "%3 14 1");
    EXPECT_EQ(bert->Call("103 3 1 10"), "%4 11 3");
    EXPECT_EQ(bert->Call("14 3 2 100 0"), "%5 12 3");
    EXPECT_EQ(bert->Call("86 2Hx\n 1 { 0 3 } 0 *"), "%6 11 3");
    // Added by the supervisor, Bert reads it.
    EXPECT_EQ(anna->Call("14 3 2 100 0"), "=12");
    EXPECT_EQ(bert->Call("25 1 0 65535"), "=7 8HPrivate");
    // A text also sent to an open conference is readable by everyone.
    EXPECT_EQ(anna->Call("15 3 2"), "=13");
    EXPECT_EQ(anna->Call("30 1 5 0"), "=14");
    EXPECT_EQ(bert->Call("25 1 0 65535"), "=8 8HPrivate");
}

TEST_F(PermissionsTest, OnlyTheSupervisorChangesAConference)
{
    EXPECT_EQ(bert->Call("3 5 4HMine"), "%2 12 5");
    EXPECT_EQ(bert->Call("21 5 10000000"), "%3 12 5");
    EXPECT_EQ(bert->Call("18 5 2"), "%4 12 5");
    EXPECT_EQ(bert->Call("20 5 3"), "%5 12 5");
    EXPECT_EQ(bert->Call("16 5 3"), "%6 12 5");
    EXPECT_EQ(bert->Call("17 5 3"), "%7 12 5");
    EXPECT_EQ(bert->Call("11 5"), "%8 12 5");
    EXPECT_EQ(bert->Call("15 5 1"), "%9 12 1");
    // His own letterbox is his to rename, but never to turn into a conference.
    EXPECT_EQ(bert->Call("3 2 7HBert B."), "=10");
    EXPECT_EQ(bert->Call("21 2 00000000"), "%11 23 2");
    EXPECT_EQ(anna->Call("18 5 2"), "=12");
    EXPECT_EQ(bert->Call("3 5 4HMine"), "=12");
}

TEST_F(PermissionsTest, NamesAreUniqueAndSingleLine)
{
    EXPECT_EQ(bert->Call("10 7Hgeneral 00000000"), "%2 20 5");
    EXPECT_EQ(bert->Call("10 3Ha\nb 00000000"), "%3 18 0");
    EXPECT_EQ(bert->Call("10 0H 00000000"), "%4 18 0");
    EXPECT_EQ(bert->Call("5 4Hanna 1Hx"), "%5 20 1");
    EXPECT_EQ(bert->Call("3 2 4HAnna"), "%6 20 1");
    EXPECT_EQ(bert->Call("4 3Ha\nb"), "%7 18 0");
}

TEST_F(PermissionsTest, OnlyTheAuthorDeletesOrAddsFootnotes)
{
    EXPECT_EQ(bert->Call("29 3"), "%2 37 3");
    EXPECT_EQ(bert->Call("86 2Hf\n 2 { 4 3 0 5 } 0 *"), "%3 37 3");
    ASSERT_EQ(bert->Call("86 2Hb\n 1 { 0 5 } 0 *"), "=4 4");
    EXPECT_EQ(bert->Call("37 4 3"), "%5 37 3");
    EXPECT_EQ(bert->Call("26 3"), anna->Call("26 3").replace(0, 3, "=6"));
}

TEST_F(PermissionsTest, PasswordsAndAdministratorMode)
{
    EXPECT_EQ(bert->Call("8 1 2Hpw 3Hnew"), "%2 12 1");
    EXPECT_EQ(bert->Call("8 2 5Hwrong 3Hnew"), "%3 4 0");
    EXPECT_EQ(bert->Call("8 2 2Hpw 3Hnew"), "=4");
    EXPECT_EQ(bert->Call("42 255"), "%5 12 0");
    EXPECT_EQ(bert->Call("43"), "%6 12 0");
    EXPECT_EQ(bert->Call("42 0"), "=7");
    EXPECT_EQ(bert->Call("62 2 2Hpw 0"), "%8 4 0");
    EXPECT_EQ(bert->Call("62 9 2Hpw 0"), "%9 10 9");
}

TEST_F(PermissionsTest, MembershipRules)
{
    EXPECT_EQ(bert->Call("27 5 1 { 1 }"), "%2 13 5");
    EXPECT_EQ(bert->Call("40 5 0"), "%3 13 5");
    EXPECT_EQ(bert->Call("9 2 5"), "%4 13 5");
    EXPECT_EQ(bert->Call("9 1 3"), "%5 12 1");
    EXPECT_EQ(bert->Call("52 1"), "%6 12 1");
    EXPECT_EQ(bert->Call("14 5 1 100 0"), "%7 12 1");
    EXPECT_EQ(bert->Call("14 5 2 100 0"), "=8");
    EXPECT_EQ(bert->Call("14 5 2 300 0"), "%9 19 0");
    EXPECT_EQ(bert->Call("2 3"), "%10 13 3");
    EXPECT_EQ(bert->Call("2 5"), "=11");
}

} // namespace
} // namespace miravod::test
