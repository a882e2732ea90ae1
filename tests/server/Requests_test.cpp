// Each request form against a fresh server: request line in, exact reply
// bytes out ("<t>" marks a time, "<n>" a number that depends on the clock).
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

class RequestsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        c = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(c->Greet("anna"));
        ASSERT_EQ(c->Call("5 4HAnna 6Hsecret"), "=1 1");
        ASSERT_EQ(c->Call("62 1 6Hsecret 0"), "=2");
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> c;
};

TEST_F(RequestsTest, ServerInformationAndVersion)
{
    EXPECT_EQ(c->Call("36"), "=3 20100 0 0 0 0 0");
    EXPECT_EQ(c->Call("75"), "=4 11 7Hmiravod 3H1.0");
    EXPECT_WIRE(c->Call("35"), "=5 <t>");
}

TEST_F(RequestsTest, ConferenceLifecycleAndStatuses)
{
    EXPECT_EQ(c->Call("10 7HGeneral 00000000"), "=3 2");
    EXPECT_EQ(c->Call("14 2 1 100 0"), "=4");
    // Full status: name, type, two times, creator, presentation, supervisor,
    // permitted, super, motd, nice, members, first local, number of texts.
    EXPECT_WIRE(c->Call("50 2"), "=5 7HGeneral 00000000 <t> <t> 1 0 1 0 0 0 77 1 1 0");
    EXPECT_EQ(c->Call("78 2"), "=6 7HGeneral 00000000 0 77");
    EXPECT_EQ(c->Call("3 2 8HChitchat"), "=7");
    EXPECT_EQ(c->Call("78 2"), "=8 8HChitchat 00000000 0 77");
    EXPECT_EQ(c->Call("21 2 10100000"), "=9");
    EXPECT_EQ(c->Call("10 4HMeta 00000000"), "=10 3");
    EXPECT_EQ(c->Call("20 2 3"), "=11");
    EXPECT_EQ(c->Call("18 2 3"), "=12");
    EXPECT_WIRE(c->Call("50 2"), "=13 8HChitchat 10100000 <t> <t> 1 0 3 0 3 0 77 1 1 0");
    EXPECT_EQ(c->Call("11 3"), "=14");
    EXPECT_EQ(c->Call("78 3"), "%15 9 3");
}

TEST_F(RequestsTest, NameLookup)
{
    c->Call("10 15HGeneral chatter 00000000");
    c->Call("10 9HGenealogy 00000000");
    EXPECT_EQ(c->Call("76 3HGen 0 1"), "=5 2 { 15HGeneral chatter 00000000 2 9HGenealogy 00000000 3 }");
    EXPECT_EQ(c->Call("76 5Hgen c 0 1"), "=6 1 { 15HGeneral chatter 00000000 2 }");
    EXPECT_EQ(c->Call("76 4Hanna 1 0"), "=7 1 { 4HAnna 10010000 1 }");
    EXPECT_EQ(c->Call("76 4Hanna 0 1"), "=8 0 *");
}

TEST_F(RequestsTest, CreateTextAndReadItBack)
{
    c->Call("10 7HGeneral 00000000");
    c->Call("14 2 1 100 0");
    EXPECT_EQ(c->Call("86 17HSubject\nBody line 1 { 0 2 } 1 { 15 00000000 0 10HPellar 0.9 }"), "=5 1");
    // Text status: time, author, lines, characters, marks, misc-info, aux.
    EXPECT_WIRE(c->Call("90 1"),
                "=6 <t> 1 2 17 0 3 { 0 2 6 1 7 <t> } 1 { 1 15 1 <t> 00000000 0 10HPellar 0.9 }");
    EXPECT_WIRE(c->Call("26 1"), "=7 <t> 1 2 17 0 3 { 0 2 6 1 7 <t> }");
    // The body may hold LF: the reply is its count, "H" and the bytes.
    c->Send("8 25 1 0 65535\n");
    EXPECT_EQ(c->ReadLine(), "=8 17HSubject");
    EXPECT_EQ(c->ReadLine(), "Body line");
    EXPECT_EQ(c->Call("25 1 0 6"), "=8 7HSubject"); // ids of raw sends are our own
    EXPECT_WIRE(c->Call("50 2"), "=9 7HGeneral 00000000 <t> <t> 1 0 1 0 0 0 77 1 1 1");
}

TEST_F(RequestsTest, CommentsFootnotesAndLinkEditing)
{
    c->Call("10 7HGeneral 00000000");
    c->Call("14 2 1 100 0");
    ASSERT_EQ(c->Call("86 2Ha\n 1 { 0 2 } 0 *"), "=5 1");
    ASSERT_EQ(c->Call("86 2Hb\n 2 { 2 1 0 2 } 0 { }"), "=6 2");
    ASSERT_EQ(c->Call("86 2Hf\n 2 { 4 1 0 2 } 0 *"), "=7 3");
    EXPECT_WIRE(c->Call("90 1"), "=8 <t> 1 1 2 0 5 { 0 2 6 1 7 <t> 3 2 5 3 } 0 *");
    EXPECT_WIRE(c->Call("90 2"), "=9 <t> 1 1 2 0 4 { 2 1 0 2 6 2 7 <t> } 0 *");
    EXPECT_EQ(c->Call("33 2 1"), "=10");
    EXPECT_WIRE(c->Call("90 1"), "=11 <t> 1 1 2 0 4 { 0 2 6 1 7 <t> 5 3 } 0 *");
    EXPECT_EQ(c->Call("33 2 1"), "%12 31 1");
    EXPECT_EQ(c->Call("32 2 1"), "=13");
    EXPECT_EQ(c->Call("32 2 1"), "%14 28 1");
    EXPECT_EQ(c->Call("32 1 2"), "%15 28 2"); // would close a loop
    EXPECT_EQ(c->Call("38 3 1"), "=16");
    EXPECT_EQ(c->Call("38 3 1"), "%17 32 1");
    EXPECT_EQ(c->Call("37 3 1"), "=18");
    EXPECT_EQ(c->Call("37 3 1"), "%19 29 1");
    EXPECT_EQ(c->Call("10 5HOther 00000000"), "=20 3");
    EXPECT_EQ(c->Call("30 1 3 1"), "=21");
    EXPECT_EQ(c->Call("30 1 3 0"), "%22 27 3");
    EXPECT_WIRE(c->Call("26 1"), "=23 <t> 1 1 2 0 8 { 0 2 6 1 7 <t> 3 2 5 3 1 3 6 1 7 <t> }");
    EXPECT_EQ(c->Call("31 1 3"), "=24");
    EXPECT_EQ(c->Call("31 1 3"), "%25 30 3");
    EXPECT_EQ(c->Call("29 3"), "=26");
    EXPECT_EQ(c->Call("26 3"), "%27 14 3");
    EXPECT_WIRE(c->Call("26 1"), "=28 <t> 1 1 2 0 4 { 0 2 6 1 7 <t> 3 2 }");
}

TEST_F(RequestsTest, TextMapsDenseAndSparse)
{
    c->Call("10 7HGeneral 00000000");
    c->Call("14 2 1 100 0");
    for (int i = 0; i < 6; ++i) c->Call("86 2Hx\n 1 { 0 2 } 0 *");
    // Texts 1..6 at locals 1..6.
    EXPECT_EQ(c->Call("103 2 1 80"), "=11 1 7 0 1 1 6 { 1 2 3 4 5 6 }");
    EXPECT_EQ(c->Call("103 2 2 3"), "=12 2 5 1 1 2 3 { 2 3 4 }");
    EXPECT_EQ(c->Call("34 2 2 3"), "=13 2 3 { 2 3 4 }");
    for (int t : {1, 2, 3, 5}) c->Call("29 " + std::to_string(t));
    // Mostly deleted: pairs of local and global.
    EXPECT_EQ(c->Call("103 2 1 80"), "=18 1 7 0 0 2 { 4 4 6 6 }");
    EXPECT_EQ(c->Call("103 2 7 10"), "=19 7 7 0 1 7 0 *");
    EXPECT_EQ(c->Call("34 2 1 3"), "=20 1 3 { 0 0 0 }");
    EXPECT_EQ(c->Call("103 2 0 3"), "%21 17 0");
    // The number of texts still counts the deleted ones.
    EXPECT_WIRE(c->Call("50 2"), "=22 7HGeneral 00000000 <t> <t> 1 0 1 0 0 0 77 1 1 6");
}

TEST_F(RequestsTest, MembershipReadingAndUnread)
{
    c->Call("10 7HGeneral 00000000");
    c->Call("14 2 1 100 0");
    for (int i = 0; i < 5; ++i) c->Call("86 2Hx\n 1 { 0 2 } 0 *");
    EXPECT_EQ(c->Call("52 1"), "=10 1 { 2 }");
    EXPECT_EQ(c->Call("27 2 3 { 1 3 4 }"), "=11");
    EXPECT_WIRE(c->Call("9 1 2"), "=12 <t> 2 100 1 2 { 3 4 }");
    EXPECT_EQ(c->Call("27 2 1 { 2 }"), "=13");
    EXPECT_WIRE(c->Call("9 1 2"), "=14 <t> 2 100 4 0 *");
    EXPECT_EQ(c->Call("27 2 1 { 9 }"), "%15 16 9");
    EXPECT_EQ(c->Call("14 2 1 200 0"), "=16"); // a new priority
    EXPECT_WIRE(c->Call("46 1 0 65535 1"), "=17 2 { <t> 1 255 0 0 * <t> 2 200 4 0 * }");
    EXPECT_EQ(c->Call("40 2 0"), "=18");
    EXPECT_EQ(c->Call("52 1"), "=19 0 *");
    EXPECT_EQ(c->Call("40 2 2"), "=20");
    EXPECT_WIRE(c->Call("9 1 2"), "=21 <t> 2 200 3 0 *");
    EXPECT_EQ(c->Call("15 2 1"), "=22");
    EXPECT_EQ(c->Call("9 1 2"), "%23 13 2");
    EXPECT_EQ(c->Call("15 2 1"), "%24 13 2");
}

TEST_F(RequestsTest, MarksAndAuxItems)
{
    c->Call("10 7HGeneral 00000000");
    c->Call("14 2 1 100 0");
    c->Call("86 2Hx\n 1 { 0 2 } 0 *");
    EXPECT_EQ(c->Call("23"), "=6 0 *");
    EXPECT_EQ(c->Call("72 1 100"), "=7");
    EXPECT_EQ(c->Call("72 1 7"), "=8");
    EXPECT_EQ(c->Call("23"), "=9 1 { 1 7 }");
    EXPECT_WIRE(c->Call("26 1"), "=10 <t> 1 1 2 1 3 { 0 2 6 1 7 <t> }");
    EXPECT_EQ(c->Call("73 1"), "=11");
    EXPECT_EQ(c->Call("73 1"), "%12 44 1");
    EXPECT_EQ(c->Call("92 1 0 { } 1 { 7 00000000 0 0H }"), "=13");
    EXPECT_WIRE(c->Call("90 1"), "=14 <t> 1 1 2 0 3 { 0 2 6 1 7 <t> } 1 { 1 7 1 <t> 00000000 0 0H }");
    EXPECT_EQ(c->Call("92 1 1 { 1 } 0 *"), "=15");
    EXPECT_WIRE(c->Call("90 1"), "=16 <t> 1 1 2 0 3 { 0 2 6 1 7 <t> } 0 *");
    // Aux data is read line by line, so LF is refused.
    EXPECT_EQ(c->Call("92 1 0 { } 1 { 7 00000000 0 3Ha\nb }"), "%17 18 0");
}

TEST_F(RequestsTest, SessionsWhoIsOnAndClientInfo)
{
    EXPECT_EQ(c->Call("69 6HPellar 14H0.91 (build 1)"), "=3");
    EXPECT_EQ(c->Call("4 7HReading"), "=4");
    EXPECT_EQ(c->Call("70 1"), "=5 6HPellar");
    EXPECT_EQ(c->Call("71 1"), "=6 14H0.91 (build 1)");
    EXPECT_WIRE(c->Call("84 1"), "=7 4Hanna 9H127.0.0.1 7Hunknown <t>");
    EXPECT_WIRE(c->Call("83 1 0 0"), "=8 1 { 1 1 0 <n> 00000000 7HReading }");
    EXPECT_EQ(c->Call("70 99"), "%9 42 99");
    EXPECT_EQ(c->Call("82"), "=10");
    EXPECT_EQ(c->Call("8 1 6Hsecret 3Hnew"), "=11");
    EXPECT_EQ(c->Call("1"), "=12");
    EXPECT_EQ(c->Call("62 1 6Hsecret 0"), "%13 4 0");
    EXPECT_EQ(c->Call("62 1 3Hnew 0"), "=14");
}

} // namespace
} // namespace miravod::test
