#include "core/link/MVTransaction.h"

#include <atomic>
#include <future>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/wire/MiravoErrors.h"
#include "support/ClientHarness.h"
#include "support/ScriptedWaits.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;
using test::ClientHarness;

// Waits for a future with a generous deadline so that a hang fails the test.
template <typename T>
T Await(std::future<T>& f)
{
    if (f.wait_for(10s) != std::future_status::ready)
        throw std::runtime_error("the caller was never released");
    return f.get();
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.Connect()); }

    std::future<bool> AsyncGeneric(TGenericTrans& t)
    {
        return std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(t); });
    }

    // Waits for t on a thread of its own once its request line is on the wire.
    std::future<bool> Sent(TGenericTrans& t)
    {
        auto done = AsyncGeneric(t);
        EXPECT_TRUE(h.peer.expect(t.RequestLine()));
        return done;
    }

    // Executes t with a held synchroniser that its end releases.
    std::shared_ptr<TSyncronizer> Execute(TMiravoTransaction& t)
    {
        auto sync = std::make_shared<TSyncronizer>();
        sync->Acquire();
        h.client.Transactions().Execute(t, sync);
        return sync;
    }

    static std::string Reply(const TMiravoTransaction& t, std::string_view rest)
    {
        return "=" + std::to_string(t.Id()) + std::string(rest) + "\n";
    }

    // The next request on the link is answered and completes.
    void ExpectStreamGoesOn()
    {
        TGenericTrans next(h.client.Protocol(), "next", requests::GetTime());
        auto done = Sent(next);
        h.peer.send(Reply(next, " ok"));
        EXPECT_TRUE(Await(done));
        EXPECT_EQ(next.ReplyLine(), " ok");
    }

    ClientHarness h;
};

TEST_F(EngineTest, RequestLineIsIdThenArgumentsThenLineFeed)
{
    TGenericTrans t(h.client.Protocol(), "Change conference", requests::ChangeConference(4711));
    EXPECT_EQ(t.RequestLine(), std::to_string(t.Id()) + " 2 4711\n");
    const int32_t locals[] = {5, 7};
    TGenericTrans arr(h.client.Protocol(), "Mark texts read", requests::MarkAsRead(6, locals));
    EXPECT_EQ(arr.RequestLine(), std::to_string(arr.Id()) + " 27 6 2 { 5 7  }\n");
    EXPECT_EQ(arr.Id(), t.Id() + 1);
}

TEST_F(EngineTest, ReplySplitOverManyReceivesCompletesTheRequest)
{
    TGenericTrans t(h.client.Protocol(), "Get the time", requests::GetTime());
    auto done = Sent(t);
    h.peer.sendBytewise(Reply(t, " 12 30 14 5 11 99 0 338 0"));
    EXPECT_TRUE(Await(done));
    EXPECT_EQ(t.ReplyLine(), " 12 30 14 5 11 99 0 338 0");
}

TEST_F(EngineTest, RepliesInOppositeOrderCompleteTheRightRequests)
{
    auto& table = h.client.Transactions();
    TGenericTrans first(h.client.Protocol(), "a", requests::GetTime());
    TGenericTrans second(h.client.Protocol(), "b", requests::GetServerInfo());
    ASSERT_EQ(second.Id(), first.Id() + 1);
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    sync->Acquire();
    table.Execute(first, sync);
    table.Execute(second, sync);
    ASSERT_TRUE(h.peer.expect(first.RequestLine() + second.RequestLine()));
    h.peer.send("=" + std::to_string(second.Id()) + " second\n=" + std::to_string(first.Id()) + " first\n");
    ASSERT_EQ(sync->WaitFor(10000), WaitResult::Signaled);
    EXPECT_EQ(first.ReplyLine(), " first");
    EXPECT_EQ(second.ReplyLine(), " second");
    EXPECT_EQ(table.ActiveCount(), 0);
}

TEST_F(EngineTest, ReplyForUnknownIdIsSkippedAndTheNextHandled)
{
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    auto done = Sent(t);
    h.peer.send("=99999 stale reply\n%424242 13 0\n=" + std::to_string(t.Id()) + " fine\n");
    EXPECT_TRUE(Await(done));
    EXPECT_EQ(t.ReplyLine(), " fine");
    std::string msg;
    EXPECT_FALSE(h.client.UserMessages().Pop(msg)) << "an unknown id posted " << msg;
}

TEST_F(EngineTest, ErrorReplyFailsTheRequestAndPostsTheTableText)
{
    TGenericTrans t(h.client.Protocol(), "Join conf", requests::AddMember(6, 7, 100, 0));
    auto done = Sent(t);
    h.peer.send("%" + std::to_string(t.Id()) + " 13 4711\n");
    EXPECT_FALSE(Await(done));
    EXPECT_EQ(t.ErrorText(), " 13 4711");
    std::string msg;
    ASSERT_TRUE(h.client.UserMessages().Pop(msg));
    EXPECT_EQ(msg, "!Not member in conf");
}

TEST_F(EngineTest, ErrorReplyPostsNothingWhenErrorsAreQuietOrTheCodeIsUnknown)
{
    TGenericTrans quiet(h.client.Protocol(), "q", requests::GetTime());
    quiet.SetShowErrors(false);
    auto done = Sent(quiet);
    h.peer.send("%" + std::to_string(quiet.Id()) + " 13 0\n");
    EXPECT_FALSE(Await(done));

    TGenericTrans unknown(h.client.Protocol(), "u", requests::GetTime());
    auto done2 = Sent(unknown);
    h.peer.send("%" + std::to_string(unknown.Id()) + " 9999 0\n");
    EXPECT_FALSE(Await(done2));
    EXPECT_EQ(h.client.UserMessages().Count(), 0);
}

TEST(ShowProtocolError, LooksTheCodeUpInTheErrorTable)
{
    struct Sink : UserMessageSink {
        void PostUserMessage(std::string text) override { got.push_back(std::move(text)); }
        std::vector<std::string> got;
    } sink;
    ShowProtocolError(" 4 0", sink);
    ShowProtocolError("12345 0", sink);
    ASSERT_EQ(sink.got.size(), 1u);
    EXPECT_EQ(sink.got[0], "!Wrong or illegal password");
}

TEST_F(EngineTest, LinkLossDuringExecuteAndWaitReleasesTheCallerWithFailure)
{
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    auto done = Sent(t);
    h.peer.send("=" + std::to_string(t.Id()) + " half a rep"); // never finished
    h.peer.close();
    EXPECT_FALSE(Await(done));
    EXPECT_TRUE(t.ErrorText().empty());
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());
}

TEST_F(EngineTest, UserStoppingTheLinkReleasesOutstandingCallers)
{
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    auto done = Sent(t);
    h.client.ComThread().SetLinkDown(true);
    EXPECT_FALSE(Await(done));
    EXPECT_TRUE(h.client.ComThread().WaitIdle(10000));
}

// A request whose parser fails on any reply.
class ThrowingTrans : public TMiravoTransaction {
public:
    using TMiravoTransaction::TMiravoTransaction;
    void Transmit() override { SendRequest(requests::GetTime()); }
    void ParseReply() override
    {
        ReadLine();
        throw std::runtime_error("malformed");
    }
};

TEST_F(EngineTest, ParseFailureReleasesTheCallerAndTheStreamGoesOn)
{
    ThrowingTrans bad(h.client.Protocol());
    std::future<bool> done = std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(bad); });
    ASSERT_TRUE(h.peer.expect(std::to_string(bad.Id()) + " 35\n"));
    h.peer.send(Reply(bad, " garbage"));
    EXPECT_FALSE(Await(done));
    EXPECT_EQ(h.client.Transactions().ActiveCount(), 0);
    ExpectStreamGoesOn();
}

// A server can send a line of any length: a reply line longer than any
// reply fails its request without being kept, and so does an id that is no
// number of ours; the stream goes on behind them.
TEST_F(EngineTest, OverlongReplyLinesAndIdsAreSkippedAndTheStreamGoesOn)
{
    TGenericTrans big(h.client.Protocol(), "x", requests::GetTime());
    auto done = Sent(big);
    h.peer.send("=" + std::to_string(big.Id()) + " " + std::string(kLongestReplyLine + 10, '7') + "\n");
    EXPECT_FALSE(Await(done));
    EXPECT_TRUE(big.Malformed());
    EXPECT_TRUE(big.ReplyLine().empty());

    h.peer.send("=" + std::string(100000, '9') + " junk\n");
    ExpectStreamGoesOn();
}

// Counts its destruction, to see that the table frees what it owns.
class CountedTrans : public TGenericTrans {
public:
    CountedTrans(ProtocolContext& c, std::atomic<int>& freed)
        : TGenericTrans(c, "counted", requests::GetTime()), freed_(freed)
    {
    }
    ~CountedTrans() override { ++freed_; }

private:
    std::atomic<int>& freed_;
};

TEST_F(EngineTest, FireAndForgetRequestsAreFreedAfterReplyAndAfterAbort)
{
    std::atomic<int> freed{0};
    auto a = std::make_unique<CountedTrans>(h.client.Protocol(), freed);
    auto b = std::make_unique<CountedTrans>(h.client.Protocol(), freed);
    const std::string lines = a->RequestLine() + b->RequestLine();
    const int32_t idA = a->Id();
    h.client.Transactions().Execute(std::move(a));
    h.client.Transactions().Execute(std::move(b));
    ASSERT_TRUE(h.peer.expect(lines));
    h.peer.send("=" + std::to_string(idA) + "\n");
    ASSERT_TRUE(test::WaitUntil([&] { return freed == 1; })) << "a completed request was not freed";
    h.peer.close();
    ASSERT_TRUE(test::WaitUntil([&] { return freed == 2; })) << "an aborted request was not freed";
    EXPECT_EQ(h.client.Transactions().ActiveCount(), 0);
}

TEST_F(EngineTest, GenericRequestsAreNotCountedTypedOnesAre)
{
    auto& counters = h.client.Counters();
    const auto before = counters.requestsSent.load();
    h.client.Transactions().Execute(std::make_unique<TGenericTrans>(h.client.Protocol(), "x", requests::GetTime()));
    ThrowingTrans typed(h.client.Protocol());
    typed.Transmit();
    EXPECT_EQ(counters.requestsSent.load(), before + 1);
}

TEST(EngineOffline, ExecuteAndWaitReturnsAtOnceAndSendsNothing)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect(/*greet=*/false));
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    EXPECT_FALSE(h.client.Transactions().ExecuteAndWait(t));

    // A caller's synchroniser is released at once too.
    TGenericTrans t2(h.client.Protocol(), "x", requests::GetServerInfo());
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    h.client.Transactions().Execute(t2, sync);
    EXPECT_EQ(sync->WaitFor(0), WaitResult::Signaled);
    EXPECT_FALSE(t2.Success());
    EXPECT_EQ(h.client.Transactions().ActiveCount(), 0);

    // After the greeting the next request is the first bytes after the handshake.
    ASSERT_TRUE(h.Greet("miravo\n"));
    TGenericTrans t3(h.client.Protocol(), "x", requests::AddFootnote(1, 2));
    auto done = std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(t3); });
    EXPECT_TRUE(h.peer.expect(t3.RequestLine()));
    h.peer.send("=" + std::to_string(t3.Id()) + "\n");
    EXPECT_TRUE(Await(done));
}

TEST(EngineOffline, ManyWaitersAreAllReleasedByLinkLoss)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    std::vector<std::unique_ptr<TGenericTrans>> requests;
    auto sync = std::make_shared<TSyncronizer>();
    for (int i = 0; i < 200; ++i) {
        requests.push_back(std::make_unique<TGenericTrans>(h.client.Protocol(), "x", requests::GetTime()));
        sync->Acquire();
        h.client.Transactions().Execute(*requests.back(), sync);
    }
    h.peer.close();
    ASSERT_EQ(sync->WaitFor(10000), WaitResult::Signaled);
    for (const auto& r : requests)
        EXPECT_FALSE(r->Success());
}

// Cancelling a waited request: the caller goes on at once as after a failed
// request, and whatever the server answers later cannot disturb the stream.
using EngineCancelTest = EngineTest;

TEST_F(EngineCancelTest, CancelFailsTheWaiterAndALateMultiLineReplyIsSkippedWhole)
{
    auto& table = h.client.Transactions();
    TGenericTrans slow(h.client.Protocol(), "Get text", requests::GetText(7, 0, 65535));
    TGenericTrans other(h.client.Protocol(), "Get time", requests::GetTime());
    auto slowSync = Execute(slow);
    auto otherSync = Execute(other);
    ASSERT_TRUE(h.peer.expect(slow.RequestLine() + other.RequestLine()));

    EXPECT_TRUE(table.Cancel(slow.Id()));
    ASSERT_EQ(slowSync->WaitFor(0), WaitResult::Signaled) << "the waiter was not released";
    EXPECT_FALSE(slow.Success());
    EXPECT_TRUE(slow.ErrorText().empty());
    EXPECT_EQ(table.ActiveCount(), 1) << "a cancelled request still counts as outstanding";
    EXPECT_FALSE(table.Cancel(slow.Id())) << "cancelled twice";

    // The late reply's string holds lines that look like a reply for the
    // other request and an error; neither may be taken as one.
    const std::string body = "line one\n=" + std::to_string(other.Id()) + " forged\n%" +
                             std::to_string(other.Id()) + " 13 0\n";
    h.peer.send(Reply(slow, " " + std::to_string(body.size()) + "H" + body + " 12 { 3 4 }"));
    h.peer.send(Reply(other, " genuine"));
    ASSERT_EQ(otherSync->WaitFor(10000), WaitResult::Signaled);
    EXPECT_TRUE(other.Success());
    EXPECT_EQ(other.ReplyLine(), " genuine");
    EXPECT_TRUE(slow.ReplyLine().empty()) << "the cancelled request was still parsed into";
    EXPECT_EQ(table.ActiveCount(), 0);
    std::string msg;
    EXPECT_FALSE(h.client.UserMessages().Pop(msg)) << "the skipped reply posted " << msg;
}

TEST_F(EngineCancelTest, ALateReplyAnnouncingAHugeStringDoesNotSwallowTheNextReply)
{
    auto& table = h.client.Transactions();
    TGenericTrans slow(h.client.Protocol(), "Get text", requests::GetText(7, 0, 65535));
    Execute(slow);
    ASSERT_TRUE(h.peer.expect(slow.RequestLine()));
    ASSERT_TRUE(table.Cancel(slow.Id()));
    h.peer.send(Reply(slow, " 2000000000Hshort"));
    ExpectStreamGoesOn();
}

TEST_F(EngineCancelTest, ALateErrorReplyForACancelledRequestIsSkippedAndTheNextHandled)
{
    auto& table = h.client.Transactions();
    TGenericTrans slow(h.client.Protocol(), "x", requests::GetTime());
    Execute(slow);
    ASSERT_TRUE(h.peer.expect(slow.RequestLine()));
    ASSERT_TRUE(table.Cancel(slow.Id()));
    h.peer.send("%" + std::to_string(slow.Id()) + " 13 0\n");
    ExpectStreamGoesOn();
    std::string msg;
    EXPECT_FALSE(h.client.UserMessages().Pop(msg)) << "a cancelled request's error was shown: " << msg;
}

TEST_F(EngineCancelTest, CancelOfAnIdThatIsNotOutstandingChangesNothing)
{
    auto& table = h.client.Transactions();
    EXPECT_FALSE(table.Cancel(424242));
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    auto done = Sent(t);
    h.peer.send(Reply(t, ""));
    EXPECT_TRUE(Await(done));
    EXPECT_FALSE(table.Cancel(t.Id())) << "a completed request was cancelled";
    EXPECT_TRUE(t.Success());
}

TEST_F(EngineCancelTest, ExecuteAndWaitThroughACancellingWaitReturnsFailureAndNamesTheRequest)
{
    test::CancelAfterWait user(50);
    h.client.SetBlockingWait(&user);
    TGenericTrans t(h.client.Protocol(), "Get server info", requests::GetServerInfo());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.client.Transactions().ExecuteAndWait(t));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    ASSERT_TRUE(h.peer.expect(t.RequestLine())) << "the request never went out";
    EXPECT_EQ(user.Cancelled(), 1);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_NE(user.Shown()[0].find("Get server info"), std::string::npos) << user.Shown()[0];

    // The link is still good for the next request.
    h.client.SetBlockingWait(nullptr);
    h.peer.send(Reply(t, " 10700 1 2 3 4 0"));
    ExpectStreamGoesOn();
}

TEST_F(EngineCancelTest, WaitingForSeveralRequestsCancelsThemAll)
{
    auto& table = h.client.Transactions();
    test::CancelAfterWait user(50);
    h.client.SetBlockingWait(&user);
    TGenericTrans a(h.client.Protocol(), "a", requests::GetTime());
    TGenericTrans b(h.client.Protocol(), "b", requests::GetTime());
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    sync->Acquire();
    table.Execute(a, sync);
    table.Execute(b, sync);
    h.peer.send(Reply(a, " first"));
    EXPECT_FALSE(table.WaitFor(sync, {a.Id(), b.Id()}, "the statuses"));
    EXPECT_EQ(sync->WaitFor(0), WaitResult::Signaled);
    EXPECT_EQ(table.ActiveCount(), 0);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0], "Waiting for the statuses...");
}

TEST_F(EngineCancelTest, LinkLossDropsCancelledEntriesToo)
{
    auto& table = h.client.Transactions();
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    Execute(t);
    ASSERT_TRUE(table.Cancel(t.Id()));
    h.peer.close();
    ASSERT_TRUE(test::WaitUntil([&] { return !h.client.ConnectedEvent().IsSet(); }));
    EXPECT_EQ(table.ActiveCount(), 0);
}

} // namespace
} // namespace pellar
