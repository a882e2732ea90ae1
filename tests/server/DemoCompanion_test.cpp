// The demo companion: with the companion on, a logged-on session that
// accepted the notices sees its comments and messages arrive, and each
// comment is a real text linked to the text it comments; with it off, the
// demo stays silent.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

constexpr int kIntervalMs = 40;

std::unique_ptr<Server> StartDemo(bool companion)
{
    ServerOptions o;
    o.port = 0;
    o.demo = true;
    o.demoCompanion = companion;
    o.demoCompanionIntervalMs = kIntervalMs;
    o.passwordIterations = 1000;
    auto s = std::make_unique<Server>(o);
    std::string error;
    EXPECT_TRUE(s->Start(&error)) << error;
    return s;
}

// The demo user, logged on and taking new-text notices (both forms) and
// messages.
std::unique_ptr<RawClient> DemoUser(const Server& server)
{
    auto c = std::make_unique<RawClient>(server.Port());
    EXPECT_TRUE(c->Greet("demo"));
    EXPECT_EQ(c->Call("76 9HDemo User 1 0"), "=1 1 { 9HDemo User 10010000 10 }");
    EXPECT_EQ(c->Call("62 10 4Hdemo 0"), "=2");
    EXPECT_EQ(c->Call("80 3 { 0 12 15 }"), "=3");
    return c;
}

// The misc-info items of a text status reply or notice as (tag, value)
// pairs; the times after tags 7 and 9 are skipped.
std::vector<std::pair<int, int>> MiscItems(const std::string& stat)
{
    std::vector<std::pair<int, int>> out;
    const size_t open = stat.find('{');
    const size_t close = stat.find('}', open);
    if (open == std::string::npos || close == std::string::npos) return out;
    std::istringstream in(stat.substr(open + 1, close - open - 1));
    int tag = 0;
    while (in >> tag) {
        if (tag == 7 || tag == 9) {
            int skip = 0;
            for (int i = 0; i < 9; ++i) in >> skip;
            continue;
        }
        int value = 0;
        if (!(in >> value)) break;
        out.emplace_back(tag, value);
    }
    return out;
}

int LinkOf(const std::vector<std::pair<int, int>>& items, int tag)
{
    for (const auto& [t, v] : items) {
        if (t == tag) return v;
    }
    return 0;
}

bool Has(const std::vector<std::pair<int, int>>& items, int tag, int value)
{
    for (const auto& [t, v] : items) {
        if (t == tag && v == value) return true;
    }
    return false;
}

// The whole body of a text; bodies may span lines.
std::string Body(RawClient& c, int text)
{
    const std::string first = c.Call("25 " + std::to_string(text) + " 0 65535");
    std::smatch m;
    if (!std::regex_match(first, m, std::regex(R"(=\d+ (\d+)H(.*))"))) return "<" + first + ">";
    const size_t length = std::stoul(m[1].str());
    std::string body = m[2].str();
    if (body.size() < length) {
        // The LF that ended the line belongs to the body; the reply's own
        // LF follows the rest.
        auto rest = c.ReadBytes(length - body.size());
        if (!rest) return "<closed>";
        body += "\n" + rest->substr(0, rest->size() - 1);
    }
    return body;
}

TEST(DemoCompanionTest, CommentsAndMessagesReachALoggedOnSession)
{
    auto server = StartDemo(true);
    auto c = DemoUser(*server);
    const std::string oskar = c->Call("76 10HOskar Lind 1 0");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(oskar, m, std::regex(R"(=4 1 \{ 10HOskar Lind \d+ (\d+) \})"))) << oskar;
    const int companion = std::stoi(m[1].str());

    // The companion posts a comment on its first two turns and a message on
    // its third; wait for one of each.
    std::string comment, message;
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while ((comment.empty() || message.empty()) && std::chrono::steady_clock::now() < deadline) {
        auto a = c->WaitAsync();
        if (!a) break;
        if (std::regex_search(*a, std::regex(R"(^:\d+ 15 )"))) comment = *a;
        if (std::regex_search(*a, std::regex(R"(^:\d+ 12 )"))) message = *a;
    }
    ASSERT_FALSE(comment.empty()) << "no new-text notice from the companion";
    ASSERT_FALSE(message.empty()) << "no message from the companion";
    // A message to everyone, from the companion.
    EXPECT_TRUE(std::regex_match(message, std::regex(":3 12 0 " + std::to_string(companion) + R"( \d+H[\s\S]+)")))
        << message;

    // The notice names a text by the companion with a comment link...
    ASSERT_TRUE(std::regex_search(comment, m, std::regex(R"(^:3 15 (\d+) ((-?\d+ ){9})(\d+) )"))) << comment;
    const int text = std::stoi(m[1].str());
    EXPECT_EQ(std::stoi(m[4].str()), companion);
    const int parent = LinkOf(MiscItems(comment), 2);
    ASSERT_GT(parent, 0) << comment;

    // ...and the server holds that text, linked both ways.
    const auto stat = MiscItems(c->Call("90 " + std::to_string(text)));
    EXPECT_TRUE(Has(stat, 2, parent));
    EXPECT_GT(LinkOf(stat, 0), 0) << "the comment has no recipient";
    EXPECT_TRUE(Has(MiscItems(c->Call("90 " + std::to_string(parent))), 3, text));
    // Its subject is the commented text's, followed by the comment itself.
    const std::string body = Body(*c, text);
    const std::string parentBody = Body(*c, parent);
    const size_t lf = body.find('\n');
    ASSERT_NE(lf, std::string::npos) << body;
    EXPECT_EQ(body.substr(0, lf), parentBody.substr(0, parentBody.find('\n')));
    EXPECT_GT(body.size(), lf + 1);
}

TEST(DemoCompanionTest, SwitchedOffNothingArrives)
{
    auto server = StartDemo(false);
    auto c = DemoUser(*server);
    // Many of the companion's turns fit in the window; each round trip also
    // collects whatever arrived before its reply.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kIntervalMs * 25);
    std::vector<std::string> got;
    while (got.empty() && std::chrono::steady_clock::now() < until) {
        got = c->TakeAsync();
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // pace the polling
    }
    EXPECT_TRUE(got.empty()) << got.front();
    // The demo data itself is there: the companion's author exists.
    EXPECT_TRUE(std::regex_match(c->Call("76 10HOskar Lind 1 0"), std::regex(R"(=\d+ 1 \{ 10HOskar Lind .*)")));
}

} // namespace
} // namespace miravod::test
