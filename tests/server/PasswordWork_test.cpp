// Password hashing runs beside the loop: nobody waits for another link's
// hashes, a link's own answers keep their order, failed logons slow the
// next attempt down, and anonymous accounts are rationed per address.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// No throttle unless a test asks for one.
ServerOptions Unthrottled()
{
    ServerOptions o;
    o.throttle.freeFailures = 1000000;
    return o;
}

std::unique_ptr<Server> StartWithIterations(ServerOptions o, int iterations)
{
    o.port = 0;
    o.demoCompanion = false;
    o.passwordIterations = iterations;
    auto s = std::make_unique<Server>(o);
    std::string error;
    EXPECT_TRUE(s->Start(&error)) << error;
    return s;
}

TEST(PasswordWorkTest, WrongPasswordsPipelinedOnOneLinkFreezeNoOtherSession)
{
    // Real-strength hashes: each takes tens of milliseconds.
    auto server = StartWithIterations(Unthrottled(), 100000);
    RawClient setup(server->Port());
    ASSERT_TRUE(setup.Greet());
    ASSERT_EQ(setup.Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(setup.Call("5 4HBert 2Hpw"), "=2 2");

    RawClient honest(server->Port());
    ASSERT_TRUE(honest.Greet());
    RawClient attacker(server->Port());
    ASSERT_TRUE(attacker.Greet());
    std::string guesses;
    for (int id = 1; id <= 40; ++id) guesses += std::to_string(id) + " 62 1 5Hguess 0\n";
    attacker.Send(guesses);
    Clock::duration longest{};
    for (int i = 1; i <= 10; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(honest.Call("36"), "=" + std::to_string(i) + " 20100 0 0 0 0 0");
        longest = std::max(longest, Clock::now() - start);
        std::this_thread::sleep_for(milliseconds(20));
    }
    // 40 hashes in a row on the loop would take seconds.
    EXPECT_LT(longest, milliseconds(500));
    const auto start = Clock::now();
    EXPECT_EQ(honest.Call("62 2 2Hpw 0"), "=11");
    // One hash, perhaps behind one of the attacker's.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    for (int id = 1; id <= 40; ++id) ASSERT_EQ(attacker.ReplyTo(id), "%" + std::to_string(id) + " 4 0");
}

TEST(PasswordWorkTest, ALinksAnswersKeepTheirOrderAroundItsHashes)
{
    auto server = StartServer(Unthrottled());
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    c.Send("1 5 4HAnna 2Hpw\n2 36\n3 62 1 2Hno 0\n4 35\n5 62 1 2Hpw 0\n6 10 7HGeneral 00000000\n"
           "7 8 1 2Hpw 3Hnew\n8 1\n9 62 1 2Hpw 0\n10 62 1 3Hnew 0\n");
    EXPECT_EQ(c.ReadLine(), "=1 1");
    EXPECT_EQ(c.ReadLine(), "=2 20100 0 0 0 0 0");
    EXPECT_EQ(c.ReadLine(), "%3 4 0");
    EXPECT_EQ(c.ReadLine()->rfind("=4 ", 0), 0u);
    EXPECT_EQ(c.ReadLine(), "=5");
    // Logged on by the time request 6 is served.
    EXPECT_EQ(c.ReadLine(), "=6 2");
    EXPECT_EQ(c.ReadLine(), "=7");
    EXPECT_EQ(c.ReadLine(), "=8");
    EXPECT_EQ(c.ReadLine(), "%9 4 0");
    EXPECT_EQ(c.ReadLine(), "=10");
}

TEST(PasswordWorkTest, ALinkClosedWhileItsHashRunsHarmsNobody)
{
    auto server = StartWithIterations(Unthrottled(), 100000);
    {
        RawClient c(server->Port());
        ASSERT_TRUE(c.Greet());
        c.Send("1 5 4HAnna 2Hpw\n2 62 1 2Hpw 0\n");
    }
    RawClient d(server->Port());
    ASSERT_TRUE(d.Greet());
    EXPECT_EQ(d.Call("36"), "=1 20100 0 0 0 0 0");
}

class ThrottleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions o;
        o.throttle.freeFailures = 2;
        o.throttle.firstDelay = milliseconds(300);
        o.throttle.maxDelayPerPerson = milliseconds(1200);
        o.throttle.maxDelayPerAddress = milliseconds(1200);
        o.throttle.accountBurst = 3;
        o.throttle.accountInterval = std::chrono::hours(1);
        server = StartServer(o);
        RawClient setup(server->Port(), "127.0.0.3");
        ASSERT_TRUE(setup.Greet());
        ASSERT_EQ(setup.Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(setup.Call("5 4HBert 2Hpw"), "=2 2");
    }
    std::unique_ptr<Server> server;
};

TEST_F(ThrottleTest, FailedLogonsDelayTheNextAttemptMoreEachTime)
{
    RawClient attacker(server->Port());
    ASSERT_TRUE(attacker.Greet());
    const auto start = Clock::now();
    std::string guesses;
    for (int id = 1; id <= 6; ++id) guesses += std::to_string(id) + " 62 1 5Hguess 0\n";
    attacker.Send(guesses);
    for (int id = 1; id <= 6; ++id) ASSERT_EQ(attacker.ReplyTo(id), "%" + std::to_string(id) + " 4 0");
    // Two free, then 300, 600, 1200 and 1200 ms.
    EXPECT_GE(Clock::now() - start, milliseconds(3300));

    // Another person from another address is not held up by it.
    RawClient other(server->Port(), "127.0.0.2");
    ASSERT_TRUE(other.Greet());
    auto t = Clock::now();
    EXPECT_EQ(other.Call("62 2 2Hpw 0"), "=1");
    EXPECT_LT(Clock::now() - t, milliseconds(250));
    // The attacked person is, from anywhere, but for no longer than its cap,
    // and the right password still works.
    RawClient owner(server->Port(), "127.0.0.4");
    ASSERT_TRUE(owner.Greet());
    t = Clock::now();
    EXPECT_EQ(owner.Call("62 1 2Hpw 0"), "=1");
    EXPECT_GE(Clock::now() - t, milliseconds(250));
    // The attacking address stays slowed down for any person.
    t = Clock::now();
    EXPECT_EQ(attacker.Call("62 2 2Hpw 0"), "=1");
    EXPECT_GE(Clock::now() - t, milliseconds(1000));
}

TEST_F(ThrottleTest, AnonymousAccountsAreRationedPerAddress)
{
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    EXPECT_EQ(c.Call("5 1Ha 1Hp"), "=1 3");
    EXPECT_EQ(c.Call("5 1Hb 1Hp"), "=2 4");
    EXPECT_EQ(c.Call("5 1Hc 1Hp"), "=3 5");
    EXPECT_EQ(c.Call("5 1Hd 1Hp"), "%4 45 0");
    RawClient again(server->Port());
    ASSERT_TRUE(again.Greet());
    EXPECT_EQ(again.Call("5 1Hd 1Hp"), "%1 45 0");
    // Elsewhere, and once logged on, accounts can still be made.
    RawClient elsewhere(server->Port(), "127.0.0.2");
    ASSERT_TRUE(elsewhere.Greet());
    EXPECT_EQ(elsewhere.Call("5 1Hd 1Hp"), "=1 6");
    EXPECT_EQ(c.Call("62 1 2Hpw 0"), "=5");
    EXPECT_EQ(c.Call("5 1He 1Hp"), "=6 7");
}

} // namespace
} // namespace miravod::test
