#include "core/link/MVRequests.h"

#include <future>

#include <gtest/gtest.h>

#include "core/wire/MiravoTypes.h"
#include "core/wire/TMiravoMembership.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;

// Each case: the request goes out, the peer checks its exact line (after the
// id) and answers with the given reply body (after "=" and the id).
class RequestTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.Connect()); }

    std::future<bool> Async(TMiravoTransaction& t)
    {
        return std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(t); });
    }

    // Whether the waiter was released, and with success.
    static ::testing::AssertionResult Released(std::future<bool>& done, bool success)
    {
        if (done.wait_for(10s) != std::future_status::ready)
            return ::testing::AssertionFailure() << "the request never completed";
        if (done.get() != success)
            return ::testing::AssertionFailure() << "success was " << !success;
        return ::testing::AssertionSuccess();
    }

    // How the request is to end: answered, refused with an error reply, or
    // answered with a reply that cannot be read (it fails as malformed).
    enum class Ends { Done, Error, Unreadable };

    ::testing::AssertionResult Exchange(TMiravoTransaction& t, std::string_view expectedLine,
                                        std::string_view replyBody, Ends ends = Ends::Done)
    {
        auto done = Async(t);
        auto sent = h.peer.expect(std::to_string(t.Id()) + " " + std::string(expectedLine) + "\n");
        h.peer.send((ends == Ends::Error ? "%" : "=") + std::to_string(t.Id()) + std::string(replyBody));
        if (auto released = Released(done, ends == Ends::Done); !released)
            return released;
        if (!sent)
            return sent;
        if (ends == Ends::Unreadable && !t.Malformed())
            return ::testing::AssertionFailure() << "failed, but not as unreadable";
        return ::testing::AssertionSuccess();
    }

    test::ClientHarness h;
};

TEST_F(RequestTest, NameLookupReadsEveryMatchAndTheStarFormAsEmpty)
{
    TNumberFromNameTrans t(h.client.Protocol(), "Karl B", true, false);
    ASSERT_TRUE(Exchange(t, "76 6HKarl B 1 0", " 2 { 6HKarl B 1000 6 9HKarl Berg 1000 9 }\n"));
    ASSERT_EQ(t.Results().size(), 2u);
    EXPECT_EQ(t.Results()[1].name, "Karl Berg");
    EXPECT_EQ(t.Results()[1].type, "1000");
    EXPECT_EQ(t.Results()[1].number, 9);

    TNumberFromNameTrans none(h.client.Protocol(), "x", false, true);
    ASSERT_TRUE(Exchange(none, "76 1Hx 0 1", " 0 *\n"));
    EXPECT_TRUE(none.Results().empty());
}

// A list that ends before its count is a reply cut short or garbled: the
// request fails as unreadable, never passes for a shorter (or empty) answer.
TEST_F(RequestTest, ListsCutShortFailTheirRequestAsUnreadable)
{
    TNumberFromNameTrans t(h.client.Protocol(), "x", true, true);
    ASSERT_TRUE(Exchange(t, "76 1Hx 1 1", " 2000000000 { 1Hx 1000 6 }\n", Ends::Unreadable));
    EXPECT_EQ(t.FailureText(), "The server's reply could not be read");
    std::string told;
    ASSERT_TRUE(h.client.UserMessages().Pop(told));
    EXPECT_EQ(told, "!The server's reply could not be read");
    // A request that keeps quiet about errors keeps quiet about this too.
    TextStatType stat;
    TGetTextStatTrans quiet(h.client.Protocol(), 4711, stat);
    ASSERT_TRUE(Exchange(quiet, "26 4711", " 0 0 0 1 0 100 0 0 0 6 3 120 0 3 { 0 5 }\n", Ends::Unreadable));
    EXPECT_FALSE(h.client.UserMessages().Pop(told)) << told;

    TNumberFromNameTrans noArray(h.client.Protocol(), "x", true, true);
    ASSERT_TRUE(Exchange(noArray, "76 1Hx 1 1", " Q\n", Ends::Unreadable));

    std::vector<int32_t> confs;
    TGetUnreadConfs unread(h.client.Protocol(), confs, 6);
    ASSERT_TRUE(Exchange(unread, "52 6", " 2000000000 { 1 7\n", Ends::Unreadable));

    // A complete list still reads as before.
    std::vector<int32_t> whole;
    TGetUnreadConfs ok(h.client.Protocol(), whole, 6);
    ASSERT_TRUE(Exchange(ok, "52 6", " 2 { 1 7 }\n"));
    EXPECT_EQ(whole, (std::vector<int32_t>{1, 7}));
    EXPECT_FALSE(ok.Malformed());
}

// A huge count over bytes that are not elements: each list stops at the first
// byte it cannot read instead of going round the count without moving, and
// the request fails at once.
TEST_F(RequestTest, CountsOverJunkEndAtTheJunk)
{
    std::vector<int32_t> confs;
    TGetUnreadConfs unread(h.client.Protocol(), confs, 6);
    ASSERT_TRUE(Exchange(unread, "52 6", " 999999998 { Q\n", Ends::Unreadable));
    EXPECT_TRUE(confs.empty());

    h.client.SetServerVersionInfo({10, "", ""});
    TSortedIntegerList<int32_t> sparse;
    TGetTextMap t103(h.client.Protocol(), sparse, 6, 1, 3);
    ASSERT_TRUE(Exchange(t103, "103 6 1 3", " 1 4 0 0 999999998 { 1 101 Q\n", Ends::Unreadable));
    EXPECT_LE(sparse.Count(), 3);

    h.client.SetServerVersionInfo({9, "", ""});
    TSortedIntegerList<int32_t> dense;
    TGetTextMap t34(h.client.Protocol(), dense, 6, 1, 3);
    ASSERT_TRUE(Exchange(t34, "34 6 1 3", " 1 999999998 { 101 x\n", Ends::Unreadable));
    EXPECT_LE(dense.Count(), 3);

    std::vector<std::shared_ptr<TMiravoMembership>> memberships;
    TGetMembershipTrans m(h.client.Protocol(), 6, memberships, nullptr);
    ASSERT_TRUE(Exchange(m, "46 6 0 65535 1", " 999999998 { 0 0 0 1 0 100 0 0 0 6 1 0 0 *\n", Ends::Unreadable));
    EXPECT_EQ(memberships.size(), 1u);
}

TEST_F(RequestTest, NameFromNumberIsQuietAndReadsUnknownOnError)
{
    TNameFromNumberTrans t(h.client.Protocol(), 6);
    ASSERT_TRUE(Exchange(t, "78 6", " 4HKarl 0000 7\n"));
    EXPECT_EQ(t.Name(), "Karl");

    TNameFromNumberTrans missing(h.client.Protocol(), 66, "Okänd");
    ASSERT_TRUE(Exchange(missing, "78 66", " 10 66\n", Ends::Error));
    EXPECT_EQ(missing.Name(), "Okänd");
    EXPECT_EQ(h.client.UserMessages().Count(), 0);
}

TEST_F(RequestTest, CacheNameLookupStoresTheNameOrError)
{
    std::vector<std::pair<int32_t, std::string>> stored;
    auto store = [&](int32_t n, std::string name) { stored.emplace_back(n, std::move(name)); };
    TCacheNameFromNumberTrans ok(h.client.Protocol(), 6, store);
    ASSERT_TRUE(Exchange(ok, "78 6", " 4HKarl 0000 7\n"));
    TCacheNameFromNumberTrans bad(h.client.Protocol(), 7, store);
    ASSERT_TRUE(Exchange(bad, "78 7", " 10 7\n", Ends::Error));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], std::make_pair(6, std::string("Karl")));
    EXPECT_EQ(stored[1], std::make_pair(7, std::string("*error*")));
}

TEST_F(RequestTest, LogonSendsPasswordAsHollerithAndSetsResult)
{
    TLogonTrans t(h.client.Protocol(), 6, "pass word", true);
    EXPECT_EQ(t.Result(), -1);
    ASSERT_TRUE(Exchange(t, "62 6 9Hpass word 1", "\n"));
    EXPECT_EQ(t.Result(), 0);

    TLogonTrans refused(h.client.Protocol(), 6, "x", false);
    ASSERT_TRUE(Exchange(refused, "62 6 1Hx 0", " 4 6\n", Ends::Error));
    std::string msg;
    ASSERT_TRUE(h.client.UserMessages().Pop(msg));
    EXPECT_EQ(msg, "!Wrong or illegal password");
}

TEST_F(RequestTest, TextStatusFormFollowsTheProtocolVersion)
{
    const std::string header = " 0 0 12 5 11 99 0 338 0 6 3 100 1 1 { 0 2 }";
    h.client.SetServerVersionInfo({9, "", ""});
    TextStatType older;
    TGetTextStatTrans t9(h.client.Protocol(), 4711, older);
    EXPECT_FALSE(t9.NewerForm());
    ASSERT_TRUE(Exchange(t9, "26 4711", header + "\n"));
    EXPECT_EQ(older.Author(), 6);
    EXPECT_EQ(older.NoOfChars(), 100);
    EXPECT_EQ(older.AuxItemCount(), 0);

    h.client.SetServerVersionInfo({10, "miravod", "1.0"});
    TextStatType newer;
    TGetTextStatTrans t10(h.client.Protocol(), 4711, newer);
    EXPECT_TRUE(t10.NewerForm());
    ASSERT_TRUE(Exchange(t10, "90 4711", header + " 1 { 1 7 6 0 0 12 5 11 99 0 338 0 00000000 0 3Hyes }\n"));
    EXPECT_EQ(newer.Author(), 6);
    ASSERT_EQ(newer.AuxItemCount(), 1);
    EXPECT_EQ(newer.AuxItem(0)->tag, 7);
    EXPECT_EQ(newer.AuxItem(0)->data, "yes");
}

TEST_F(RequestTest, SparseTextMapFillsTheGapsWithZero)
{
    h.client.SetServerVersionInfo({10, "", ""});
    TSortedIntegerList<int32_t> map;
    TGetTextMap t(h.client.Protocol(), map, 6, 4, 6);
    ASSERT_TRUE(Exchange(t, "103 6 4 6", " 4 10 0 0 2 { 5 105 8 108 }\n"));
    ASSERT_EQ(map.Count(), 6);
    const int32_t expected[][2] = {{4, 0}, {5, 105}, {6, 0}, {7, 0}, {8, 108}, {9, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(map.Key(i), expected[i][0]);
        EXPECT_EQ(map.Object(i), expected[i][1]) << "local " << expected[i][0];
    }
}

TEST_F(RequestTest, DenseTextMapInBothFormsKeepsExistingEntries)
{
    h.client.SetServerVersionInfo({10, "", ""});
    TSortedIntegerList<int32_t> map;
    map.SetObject(map.Add(5), 999);
    TGetTextMap t(h.client.Protocol(), map, 6, 3, 4);
    ASSERT_TRUE(Exchange(t, "103 6 3 4", " 3 7 0 1 5 2 { 105 106 }\n"));
    ASSERT_EQ(map.Count(), 4);
    EXPECT_EQ(map.Object(0), 0);   // 3
    EXPECT_EQ(map.Object(1), 0);   // 4
    EXPECT_EQ(map.Object(2), 999); // 5 was there already
    EXPECT_EQ(map.Object(3), 106); // 6

    h.client.SetServerVersionInfo({9, "", ""});
    TSortedIntegerList<int32_t> old;
    TGetTextMap t34(h.client.Protocol(), old, 6, 1, 3);
    ASSERT_TRUE(Exchange(t34, "34 6 1 3", " 2 2 { 102 103 }\n"));
    ASSERT_EQ(old.Count(), 3);
    EXPECT_EQ(old.Object(0), 0);
    EXPECT_EQ(old.Object(2), 103);
}

TEST_F(RequestTest, HostileTextMapRangeStaysInsideTheRequest)
{
    h.client.SetServerVersionInfo({10, "", ""});
    TSortedIntegerList<int32_t> map;
    TGetTextMap t(h.client.Protocol(), map, 6, 1, 10);
    ASSERT_TRUE(Exchange(t, "103 6 1 10", " -2000000000 2000000000 0 0 1 { 5 105 }\n"));
    EXPECT_EQ(map.Count(), 10);
    TSortedIntegerList<int32_t> dense;
    TGetTextMap t2(h.client.Protocol(), dense, 6, -2000000000, 10);
    ASSERT_TRUE(Exchange(t2, "103 6 -2000000000 10", " 0 0 0 1 2000000000 2000000000 { 1\n", Ends::Unreadable));
    EXPECT_LE(dense.Count(), 11);
}

TEST_F(RequestTest, TextBodyLinesEndWithCrLf)
{
    TGetTextTrans t(h.client.Protocol(), 4711);
    ASSERT_TRUE(Exchange(t, "25 4711 0 65535", " 10Habc\ndefghi\n"));
    EXPECT_EQ(t.Contents(), "abc\r\ndefghi\r\n");

    TGetTextTrans empty(h.client.Protocol(), 4712);
    ASSERT_TRUE(Exchange(empty, "25 4712 0 65535", " 0H\n"));
    EXPECT_EQ(empty.Contents(), "");
}

// A ranged fetch tells a text that ended inside the range, one whose first
// line is whole, and one cut inside its first line.
TEST_F(RequestTest, ARangedTextSaysWhetherItIsWholeAndWhetherItsSubjectIs)
{
    TGetTextTrans whole(h.client.Protocol(), 4711, 8);
    ASSERT_TRUE(Exchange(whole, "25 4711 0 7", " 6Habc\nde\n"));
    EXPECT_TRUE(whole.Whole());
    EXPECT_TRUE(whole.HasSubject());

    TGetTextTrans cutInBody(h.client.Protocol(), 4712, 8);
    ASSERT_TRUE(Exchange(cutInBody, "25 4712 0 7", " 8Habc\ndefg\n"));
    EXPECT_FALSE(cutInBody.Whole());
    EXPECT_TRUE(cutInBody.HasSubject());
    EXPECT_EQ(cutInBody.Contents(), "abc\r\ndefg\r\n");

    TGetTextTrans cutInSubject(h.client.Protocol(), 4713, 8);
    ASSERT_TRUE(Exchange(cutInSubject, "25 4713 0 7", " 8Habcdefgh\n"));
    EXPECT_FALSE(cutInSubject.Whole());
    EXPECT_FALSE(cutInSubject.HasSubject());

    // Exactly as long as the range, subject only: not known to be whole.
    TGetTextTrans exact(h.client.Protocol(), 4714, 8);
    ASSERT_TRUE(Exchange(exact, "25 4714 0 7", " 8Habcdefg\n\n"));
    EXPECT_FALSE(exact.Whole());
    EXPECT_TRUE(exact.HasSubject());
}

TEST_F(RequestTest, TextBodyWithAHugeCountIsReleasedByLinkLoss)
{
    TGetTextTrans t(h.client.Protocol(), 4711);
    auto done = Async(t);
    ASSERT_TRUE(h.peer.expect(std::to_string(t.Id()) + " 25 4711 0 65535\n"));
    h.peer.send("=" + std::to_string(t.Id()) + " 2000000000Hshort\n");
    h.peer.close();
    EXPECT_TRUE(Released(done, false));
}

// A personal message that announces two gigabytes, from the peer, right
// before the reply: the look-up gets its reply and the link stays usable.
TEST_F(RequestTest, HugePersonalMessageDoesNotSwallowTheReplyBehindIt)
{
    TNumberFromNameTrans t(h.client.Protocol(), "x", true, false);
    auto done = Async(t);
    ASSERT_TRUE(h.peer.expect(std::to_string(t.Id()) + " 76 1Hx 1 0\n"));
    h.peer.send(":5 12 6 7 2000000000Hhello\n=" + std::to_string(t.Id()) + " 1 { 1Hx 1000 6 }\n");
    ASSERT_TRUE(Released(done, true));
    ASSERT_EQ(t.Results().size(), 1u);
    EXPECT_EQ(t.Results()[0].number, 6);
    EXPECT_EQ(h.client.ReceiveThread().DroppedMessages(), 1u);

    TNameFromNumberTrans next(h.client.Protocol(), 6);
    ASSERT_TRUE(Exchange(next, "78 6", " 4HKarl 0000 7\n"));
    EXPECT_EQ(next.Name(), "Karl");
}

TEST_F(RequestTest, TextBodyLongerThanAnyServerTextFailsAndTheNextReplyIsRead)
{
    TGetTextTrans t(h.client.Protocol(), 4711);
    auto done = Async(t);
    ASSERT_TRUE(h.peer.expect(std::to_string(t.Id()) + " 25 4711 0 65535\n"));
    h.peer.send("=" + std::to_string(t.Id()) + " 2000000000Hshort\n");
    EXPECT_TRUE(Released(done, false));

    TNameFromNumberTrans next(h.client.Protocol(), 6);
    ASSERT_TRUE(Exchange(next, "78 6", " 4HKarl 0000 7\n"));
    EXPECT_EQ(next.Name(), "Karl");
}

TEST_F(RequestTest, MembershipAndConferenceRequestLines)
{
    std::vector<std::shared_ptr<TMiravoMembership>> list;
    TGetMembershipTrans members(h.client.Protocol(), 6, list, nullptr);
    ASSERT_TRUE(Exchange(members, "46 6 0 65535 1", " 0 *\n"));
    EXPECT_TRUE(list.empty());

    TMiravoConferenceBase conf(7);
    TGetUConfStatTrans ustat(h.client.Protocol(), conf, 7);
    ASSERT_TRUE(Exchange(ustat, "78 7", " 5HNyhet 0000 42 77\n"));
    EXPECT_EQ(conf.Name(), "Nyhet");

    TMiravoConferenceBase full(7);
    TGetConfStatTrans stat(h.client.Protocol(), full, 7);
    ASSERT_TRUE(Exchange(stat, "50 7", "\n"));

    TMiravoMembership m;
    TQueryReadTextsTrans read(h.client.Protocol(), m, 6, 7);
    ASSERT_TRUE(Exchange(read, "9 6 7", "\n"));
}

} // namespace
} // namespace pellar
