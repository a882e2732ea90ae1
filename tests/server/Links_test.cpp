// Links that cost a descriptor and give nothing back: handshake and idle
// timeouts, caps on links in all and per address, and a loop that waits
// rather than spins when the process runs out of descriptors.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(LinkTimeoutTest, SilentAndAnonymousLinksAreClosedLoggedOnOnesStay)
{
    ServerOptions o;
    o.handshakeTimeoutMs = 200;
    o.anonymousIdleMs = 400;
    auto server = StartServer(o);

    RawClient loggedOn(server->Port());
    ASSERT_TRUE(loggedOn.Greet());
    ASSERT_EQ(loggedOn.Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(loggedOn.Call("62 1 2Hpw 0"), "=2");

    const auto start = Clock::now();
    RawClient silent(server->Port());
    RawClient halfHandshake(server->Port());
    halfHandshake.Send("A5Hte");
    RawClient anonymous(server->Port());
    ASSERT_TRUE(anonymous.Greet());
    RawClient busy(server->Port());
    ASSERT_TRUE(busy.Greet());

    EXPECT_TRUE(silent.WaitClosed());
    EXPECT_TRUE(halfHandshake.WaitClosed());
    EXPECT_GE(Clock::now() - start, milliseconds(200));
    // An anonymous link that keeps asking stays.
    for (int i = 1; i <= 8; ++i) {
        ASSERT_EQ(busy.Call("35").rfind("=" + std::to_string(i) + " ", 0), 0u) << i;
        std::this_thread::sleep_for(milliseconds(100));
    }
    EXPECT_TRUE(anonymous.WaitClosed());
    // Silent for longer than any timeout, yet logged on.
    EXPECT_EQ(loggedOn.Call("36"), "=3 20100 0 0 0 0 0");
}

TEST(LinkCapTest, LinksOverTheCapsAreClosedAndTheirPlacesComeBack)
{
    ServerOptions o;
    o.maxConnections = 5;
    o.maxConnectionsPerAddress = 3;
    auto server = StartServer(o);
    std::vector<std::unique_ptr<RawClient>> here, there;
    for (int i = 0; i < 3; ++i) {
        here.push_back(std::make_unique<RawClient>(server->Port()));
        ASSERT_TRUE(here.back()->Greet());
    }
    RawClient extra(server->Port());
    extra.Send("A1Hx\n");
    EXPECT_TRUE(extra.WaitClosed());
    for (int i = 0; i < 2; ++i) {
        there.push_back(std::make_unique<RawClient>(server->Port(), "127.0.0.2"));
        ASSERT_TRUE(there.back()->Greet());
    }
    RawClient sixth(server->Port(), "127.0.0.3");
    sixth.Send("A1Hx\n");
    EXPECT_TRUE(sixth.WaitClosed());

    here.pop_back();
    // The server sees the close in its own time.
    const auto deadline = Clock::now() + kDeadline;
    bool admitted = false;
    while (!admitted && Clock::now() < deadline) {
        RawClient again(server->Port());
        admitted = again.Greet();
        if (!admitted) std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_TRUE(admitted);
    for (auto& c : there) EXPECT_EQ(c->Call("36"), "=1 20100 0 0 0 0 0");
}

// Lowers the descriptor limit to what is in use, and puts it back.
class DescriptorLimit {
public:
    DescriptorLimit()
    {
        getrlimit(RLIMIT_NOFILE, &old_);
        // The lowest free descriptor: every one below it is taken.
        const int probe = dup(0);
        close(probe);
        rlimit low = old_;
        low.rlim_cur = static_cast<rlim_t>(probe);
        setrlimit(RLIMIT_NOFILE, &low);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &old_); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

private:
    rlimit old_{};
};

TEST(LinkCapTest, OutOfDescriptorsTheLoopWaitsInsteadOfSpinning)
{
    auto server = StartServer();
    RawClient first(server->Port());
    ASSERT_TRUE(first.Greet());
    // The client's socket exists before the limit drops; connecting needs
    // no descriptor on this side, accepting needs one on the server's.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(server->Port()));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    {
        DescriptorLimit limit;
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        std::this_thread::sleep_for(milliseconds(600));
        // A spinning loop fails thousands of times here; one that backs off
        // (50, 100, 200, 400 ms) a handful.
        EXPECT_GE(server->AcceptFailures(), 1u);
        EXPECT_LE(server->AcceptFailures(), 10u);
        // Links already open are served meanwhile.
        EXPECT_EQ(first.Call("36"), "=1 20100 0 0 0 0 0");
    }
    // With descriptors back, the waiting link is taken up.
    const std::string hello = "A1Hx\n";
    ASSERT_EQ(send(fd, hello.data(), hello.size(), MSG_NOSIGNAL), static_cast<ssize_t>(hello.size()));
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    char buf[16] = {};
    EXPECT_EQ(recv(fd, buf, sizeof buf - 1, 0), 7);
    EXPECT_STREQ(buf, "MIRAVO\n");
    close(fd);
}

// A client may send its requests and then say it sends no more: every
// reply still comes, the long ones and those after them, then the link ends.
TEST(HalfCloseTest, RequestsSentBeforeTheEndAreAllAnswered)
{
    auto server = StartServer();
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    ASSERT_EQ(c.Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(c.Call("62 1 2Hpw 0"), "=2");
    ASSERT_EQ(c.Call("10 7HGeneral 00000000"), "=3 2");
    const std::string body(1 << 20, 't');
    ASSERT_EQ(c.Call("86 1048576H" + body + " 1 { 0 2 } 0 *"), "=4 1");
    // More 1 MiB answers than the kernel buffers of both ends hold, so the
    // last ones still wait in the server when it reads the end; then a
    // logon that is hashed after the end, and a small request.
    constexpr int kReads = 24;
    std::string requests;
    for (int id = 10; id < 10 + kReads; ++id) requests += std::to_string(id) + " 25 1 0 1048575\n";
    c.Send(requests + "90 62 1 2Hpw 0\n91 36\n");
    c.ShutdownWrite();
    for (int id = 10; id < 10 + kReads; ++id) {
        ASSERT_EQ(c.ReadBytes(std::to_string(id).size() + 10), "=" + std::to_string(id) + " 1048576H");
        ASSERT_TRUE(c.ReadBytes((1 << 20) + 1));
    }
    EXPECT_EQ(c.ReplyTo(90), "=90");
    EXPECT_EQ(c.ReplyTo(91), "=91 20100 0 0 0 0 0");
    EXPECT_TRUE(c.WaitClosed());
}

// Replies not yet due when the end is read (here held back by the reply
// delay switch) still go out.
TEST(HalfCloseTest, RepliesStillWaitingWhenTheEndIsReadGoOut)
{
    ServerOptions o;
    o.replyDelayMs = 300;
    auto server = StartServer(o);
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    c.Send("1 35\n2 36\n3 5 4HAnna 2Hpw\n");
    c.ShutdownWrite();
    EXPECT_EQ(c.ReplyTo(1).rfind("=1 ", 0), 0u);
    EXPECT_EQ(c.ReplyTo(2), "=2 20100 0 0 0 0 0");
    EXPECT_EQ(c.ReplyTo(3), "=3 1");
    EXPECT_TRUE(c.WaitClosed());
}

} // namespace
} // namespace miravod::test
