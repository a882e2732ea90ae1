// The strict request reader on its own: framing, strings that hold LF,
// resumption at any split, limits, and the typed argument reader.
#include <gtest/gtest.h>

#include "server/RequestParser.h"

namespace miravod {
namespace {

std::vector<Request> FeedAll(RequestParser& p, std::string_view bytes, bool* ok = nullptr)
{
    std::vector<Request> out;
    const bool r = p.Feed(bytes, [&](Request& q) { out.push_back(q); });
    if (ok) *ok = r;
    return out;
}

TEST(RequestParserTest, SplitsRequestsAndKeepsStringsWhole)
{
    RequestParser p({});
    const std::string in = "12 86 5Ha\nb c 1 { 0 5 } 0 *\n13 36\n\n14 80 0 *\n";
    auto reqs = FeedAll(p, in);
    ASSERT_EQ(reqs.size(), 3u);
    EXPECT_EQ(reqs[0].id, 12);
    EXPECT_EQ(reqs[0].number, 86);
    ASSERT_EQ(reqs[0].args.size(), 8u);
    EXPECT_EQ(reqs[0].args[0].kind, ArgKind::String);
    EXPECT_EQ(reqs[0].args[0].text, "a\nb c");
    EXPECT_EQ(reqs[0].args[2].kind, ArgKind::Open);
    EXPECT_EQ(reqs[0].args[7].kind, ArgKind::Star);
    EXPECT_EQ(reqs[1].number, 36);
    EXPECT_TRUE(reqs[1].args.empty());
    EXPECT_EQ(reqs[2].id, 14);

    // The same bytes cut at every position give the same requests.
    for (size_t cut = 1; cut < in.size(); ++cut) {
        RequestParser q({});
        auto a = FeedAll(q, in.substr(0, cut));
        auto b = FeedAll(q, in.substr(cut));
        a.insert(a.end(), b.begin(), b.end());
        ASSERT_EQ(a.size(), 3u) << cut;
        EXPECT_EQ(a[0].args[0].text, "a\nb c") << cut;
    }
}

TEST(RequestParserTest, OverlongStringIsDroppedButTheRequestStillEnds)
{
    RequestParser::Limits limits;
    limits.maxString = 4;
    RequestParser p(limits);
    auto reqs = FeedAll(p, "1 5 6Habcdef 2Hpw\n2 36\n");
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_TRUE(reqs[0].stringTooLong);
    EXPECT_TRUE(reqs[0].args[0].text.empty());
    EXPECT_FALSE(reqs[1].stringTooLong);
}

TEST(RequestParserTest, RequestOverItsTotalKeepsNothingAndEndsInStep)
{
    RequestParser::Limits limits;
    limits.maxString = 10;
    limits.maxRequestBytes = 30;
    RequestParser p(limits);
    std::string in = "1 86";
    for (int i = 0; i < 5; ++i) in += " 10H0123456789";
    in += " 2Hok\n2 36 4Habcd\n";
    auto reqs = FeedAll(p, in);
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_TRUE(reqs[0].requestTooLong);
    EXPECT_FALSE(reqs[0].stringTooLong);
    for (const Arg& a : reqs[0].args) EXPECT_TRUE(a.text.empty() || a.kind == ArgKind::Int);
    EXPECT_FALSE(reqs[1].requestTooLong);
    EXPECT_EQ(reqs[1].args[0].text, "abcd");

    // A raised cap applies from the next request on.
    p.SetMaxRequestBytes(100);
    reqs = FeedAll(p, in);
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_FALSE(reqs[0].requestTooLong);
    EXPECT_EQ(reqs[0].args[4].text, "0123456789");
}

TEST(RequestParserTest, FeedSomeStopsAfterTheRequestThatSaysSo)
{
    RequestParser p({});
    const std::string in = "1 36\n2 35\n3 36\n";
    std::vector<int32_t> ids;
    const size_t used = p.FeedSome(in, [&](Request& r) {
        ids.push_back(r.id);
        return r.id != 2;
    });
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(in.substr(used), "3 36\n");
}

TEST(RequestParserTest, ViolationsStopTheReader)
{
    for (const char* bad : {"1 36 x\n", "a 36\n", "1 5 3Habcd\n", "-1 36\n", "1\n", "1 36 1-2\n",
                            "99999999999 36\n", "1 5 1234567890123456789H"}) {
        RequestParser p({});
        bool ok = true;
        EXPECT_TRUE(FeedAll(p, bad, &ok).empty()) << bad;
        EXPECT_FALSE(ok) << bad;
        EXPECT_FALSE(p.Feed("1 36\n", [](Request&) {})) << bad;
    }
    RequestParser::Limits limits;
    limits.maxTokenBytes = 100;
    RequestParser p(limits);
    bool ok = true;
    FeedAll(p, "1 36 " + std::string(200, '1'), &ok);
    EXPECT_FALSE(ok);
}

TEST(RequestParserTest, ArgReaderIsStrict)
{
    RequestParser p({});
    auto reqs = FeedAll(p, "1 27 5 3 { 1 2 3 } 00110000 2Hxy 2 { 1 }\n");
    ASSERT_EQ(reqs.size(), 1u);
    ArgReader a(reqs[0]);
    int32_t conf = 0;
    std::vector<int32_t> locals;
    std::string bits, s;
    ASSERT_TRUE(a.Int(conf));
    EXPECT_EQ(conf, 5);
    EXPECT_FALSE(a.IntArray(locals, 2)); // more than allowed
    ArgReader b(reqs[0]);
    ASSERT_TRUE(b.Int(conf));
    ASSERT_TRUE(b.IntArray(locals, 10));
    EXPECT_EQ(locals, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_FALSE(b.String(s));
    ASSERT_TRUE(b.Bits(bits));
    EXPECT_EQ(bits, "00110000");
    ASSERT_TRUE(b.String(s));
    EXPECT_EQ(s, "xy");
    EXPECT_FALSE(b.IntArray(locals, 10)); // count says 2, one element
}

} // namespace
} // namespace miravod
