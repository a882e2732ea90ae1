// Password hashing runs beside the loop: nobody waits for another link's
// hashes, a link's own answers keep their order, failed logons slow the
// source that fails (never the owner elsewhere), and anonymous accounts are
// rationed per address.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

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
    o.throttle.maxAttemptsPerAddress = 1000;
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
    constexpr int kGuesses = 30;
    std::string guesses;
    for (int id = 1; id <= kGuesses; ++id) guesses += std::to_string(id) + " 62 1 5Hguess 0\n";
    const auto attackStart = Clock::now();
    attacker.Send(guesses);
    Clock::duration longest{};
    for (int i = 1; i <= 10; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(honest.Call("36"), "=" + std::to_string(i) + " 20100 0 0 0 0 0");
        longest = std::max(longest, Clock::now() - start);
        std::this_thread::sleep_for(milliseconds(20));
    }
    const auto logonStart = Clock::now();
    EXPECT_EQ(honest.Call("62 2 2Hpw 0"), "=11");
    const auto logon = Clock::now() - logonStart;
    for (int id = 1; id <= kGuesses; ++id) ASSERT_EQ(attacker.ReplyTo(id), "%" + std::to_string(id) + " 4 0");
    // Measured against the attack itself, so that a loaded machine slows both
    // sides alike: a hash on the loop would hold a call for most of a hash,
    // and the logon would wait behind the guesses still queued.
    const auto attack = Clock::now() - attackStart;
    const auto oneHash = attack / kGuesses;
    const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<milliseconds>(d).count(); };
    EXPECT_LT(longest * 3, oneHash) << "a call waited " << ms(longest) << " ms; a guess takes " << ms(oneHash) << " ms";
    EXPECT_LT(logon * 2, attack) << "the logon took " << ms(logon) << " ms; the guesses took " << ms(attack) << " ms";
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
        o.throttle.maxDelayPerSource = milliseconds(1200);
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

// How long a call takes.
template <typename F>
Clock::duration Timed(F&& f)
{
    const auto start = Clock::now();
    f();
    return Clock::now() - start;
}

TEST_F(ThrottleTest, FailedLogonsSlowTheFailingSourceButNotTheOwnerElsewhere)
{
    RawClient attacker(server->Port());
    ASSERT_TRUE(attacker.Greet());
    const auto start = Clock::now();
    std::string guesses;
    for (int id = 1; id <= 6; ++id) guesses += std::to_string(id) + " 62 1 5Hguess 0\n";
    attacker.Send(guesses);
    for (int id = 1; id <= 6; ++id) ASSERT_EQ(attacker.ReplyTo(id), "%" + std::to_string(id) + " 4 0");
    // Two free, then 300, 600, 1200 and 1200 ms after each last failure.
    EXPECT_GE(Clock::now() - start, milliseconds(3300));

    // Another person from another address is not held up by it.
    RawClient other(server->Port(), "127.0.0.2");
    ASSERT_TRUE(other.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(other.Call("62 2 2Hpw 0"), "=1"); }), milliseconds(250));
    // Nor is the attacked person from an address that has not failed.
    RawClient owner(server->Port(), "127.0.0.4");
    ASSERT_TRUE(owner.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(owner.Call("62 1 2Hpw 0"), "=1"); }), milliseconds(250));
    // From the failing address, another person logs on at once; the
    // attacked one only after the pair's wait, right password or not.
    EXPECT_LT(Timed([&] { EXPECT_EQ(attacker.Call("62 2 2Hpw 0"), "=1"); }), milliseconds(250));
    EXPECT_GE(Timed([&] { EXPECT_EQ(attacker.Call("62 1 2Hpw 0"), "=2"); }), milliseconds(1000));
}

TEST_F(ThrottleTest, APersonFailedForFromSeveralAddressesSlowsThoseAddressesOnly)
{
    // freeFailures 2, freeSpread 3: three addresses fail once each.
    for (const char* from : {"127.0.0.5", "127.0.0.6", "127.0.0.7"}) {
        RawClient guesser(server->Port(), from);
        ASSERT_TRUE(guesser.Greet());
        ASSERT_EQ(guesser.Call("62 1 5Hguess 0"), "%1 4 0");
    }
    // A second try from one of them waits for the person's delay (300 ms)
    // although that pair has failed only once.
    RawClient again(server->Port(), "127.0.0.5");
    ASSERT_TRUE(again.Greet());
    EXPECT_GE(Timed([&] { EXPECT_EQ(again.Call("62 1 5Hguess 0"), "%1 4 0"); }), milliseconds(250));
    // The owner from a fresh address does not wait.
    RawClient owner(server->Port(), "127.0.0.8");
    ASSERT_TRUE(owner.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(owner.Call("62 1 2Hpw 0"), "=1"); }), milliseconds(250));
}

// The owner's logon while twenty links from one address guess at the same
// person, fifty guesses each, with the server's own policy (lower waits).
TEST(ParallelGuessingTest, TwentyLinksGuessingHoldUpNeitherTheOwnerNorTheAddressAfterwards)
{
    ServerOptions o;
    o.throttle.firstDelay = milliseconds(50);
    o.throttle.maxDelayPerSource = milliseconds(3000);
    auto server = StartServer(o);
    {
        RawClient setup(server->Port(), "127.0.0.3");
        ASSERT_TRUE(setup.Greet());
        ASSERT_EQ(setup.Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(setup.Call("5 4HCarl 2Hpw"), "=2 2");
    }
    std::vector<std::unique_ptr<RawClient>> attackers;
    for (int l = 0; l < 20; ++l) {
        attackers.push_back(std::make_unique<RawClient>(server->Port(), "127.0.0.2"));
        ASSERT_TRUE(attackers.back()->Greet());
    }
    std::string guesses;
    for (int id = 1; id <= 50; ++id) guesses += std::to_string(id) + " 62 1 5Hguess 0\n";
    for (auto& a : attackers) a->Send(guesses);
    std::this_thread::sleep_for(milliseconds(300));

    RawClient owner(server->Port(), "127.0.0.4");
    ASSERT_TRUE(owner.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(owner.Call("62 1 2Hpw 0"), "=1"); }), milliseconds(1000));

    // The guesses are answered: wrong password, or refused for now while the
    // address has its most attempts under way (most of them).
    int refused = 0;
    for (auto& a : attackers) {
        const std::string reply = a->ReplyTo(1);
        if (reply == "%1 45 0") ++refused;
        else EXPECT_EQ(reply, "%1 4 0");
    }
    EXPECT_GE(refused, 10);
    // The attack ends with the guesses still waiting.
    attackers.clear();
    std::this_thread::sleep_for(milliseconds(100));

    // After the attack, a third person from the attacker's address.
    RawClient third(server->Port(), "127.0.0.2");
    ASSERT_TRUE(third.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(third.Call("62 2 2Hpw 0"), "=1"); }), milliseconds(1000));
}

TEST(ParallelGuessingTest, AnAddressHasABoundedNumberOfAttemptsUnderWay)
{
    ServerOptions o;
    o.throttle.freeFailures = 0;
    o.throttle.firstDelay = milliseconds(1500);
    o.throttle.maxAttemptsPerAddress = 3;
    auto server = StartServer(o);
    RawClient first(server->Port(), "127.0.0.2");
    ASSERT_TRUE(first.Greet());
    ASSERT_EQ(first.Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(first.Call("5 4HBert 2Hpw"), "=2 2");
    ASSERT_EQ(first.Call("62 1 5Hguess 0"), "%3 4 0");
    // Three wait for the pair's delay; the fourth is refused at once.
    std::vector<std::unique_ptr<RawClient>> waiting;
    for (int l = 0; l < 3; ++l) {
        waiting.push_back(std::make_unique<RawClient>(server->Port(), "127.0.0.2"));
        ASSERT_TRUE(waiting.back()->Greet());
        waiting.back()->Send("1 62 1 5Hguess 0\n");
    }
    std::this_thread::sleep_for(milliseconds(100));
    RawClient fourth(server->Port(), "127.0.0.2");
    ASSERT_TRUE(fourth.Greet());
    EXPECT_LT(Timed([&] { EXPECT_EQ(fourth.Call("62 1 5Hguess 0"), "%1 45 0"); }), milliseconds(500));
    for (auto& w : waiting) EXPECT_EQ(w->ReplyTo(1), "%1 4 0");
    // Their places are free again (for a person not guessed at).
    EXPECT_EQ(fourth.Call("62 2 2Hpw 0"), "=2");
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
