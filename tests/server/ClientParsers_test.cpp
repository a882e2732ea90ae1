// What the server sends is what the client's record parsers read: replies
// from a real server run through the client's own parsers.
#include <gtest/gtest.h>

#include "core/wire/RecordParsers.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/WireTokens.h"
#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

std::string Body(const std::string& reply)
{
    return reply.substr(reply.find(' ') + 1);
}

class ClientParsersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        c = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(c->Greet());
        ASSERT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(c->Call("5 4HBert 2Hpw"), "=2 2");
        ASSERT_EQ(c->Call("62 1 2Hpw 0"), "=3");
        ASSERT_EQ(c->Call("10 7HGeneral 01000000"), "=4 3");
        ASSERT_EQ(c->Call("10 5HOther 00000000"), "=5 4");
        ASSERT_EQ(c->Call("14 3 1 120 0"), "=6");
        ASSERT_EQ(c->Call("86 2Ha\n 1 { 0 3 } 1 { 6 00000000 0 3Hyes }"), "=7 1");
        ASSERT_EQ(c->Call("86 2Hb\n 3 { 2 1 0 3 1 4 } 0 *"), "=8 2");
        ASSERT_EQ(c->Call("86 2Hf\n 2 { 4 1 0 3 } 0 *"), "=9 3");
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> c;
};

TEST_F(ClientParsersTest, TextStatusWithLinksAndAuxItems)
{
    // Bert adds text 1 to Other: the client must see sent-by on that item.
    RawClient b(server->Port());
    ASSERT_TRUE(b.Greet());
    ASSERT_EQ(b.Call("62 2 2Hpw 0"), "=1");
    ASSERT_EQ(b.Call("30 1 4 0"), "=2");

    const std::string line = Body(c->Call("90 1"));
    size_t pos = 0;
    pellar::TextStatType st;
    pellar::ParseTextStat(line, pos, st);
    pellar::ParseAuxItemList(line, pos, st);
    EXPECT_EQ(pos, line.size());
    EXPECT_EQ(st.Author(), 1);
    EXPECT_EQ(st.NoOfLines(), 1);
    EXPECT_EQ(st.NoOfChars(), 2);
    ASSERT_EQ(st.MiscInfoCount(), 4);
    auto rcpt = std::dynamic_pointer_cast<const pellar::TMiscInfoRcpt>(st.MiscInfo(0));
    ASSERT_TRUE(rcpt);
    EXPECT_EQ(rcpt->confNo, 3);
    EXPECT_EQ(rcpt->localNo, 1);
    EXPECT_EQ(rcpt->sentBy, 0);
    EXPECT_TRUE(std::dynamic_pointer_cast<const pellar::TMiscInfoCommIn>(st.MiscInfo(1)));
    EXPECT_TRUE(std::dynamic_pointer_cast<const pellar::TMiscInfoFootIn>(st.MiscInfo(2)));
    auto added = std::dynamic_pointer_cast<const pellar::TMiscInfoRcpt>(st.MiscInfo(3));
    ASSERT_TRUE(added);
    EXPECT_EQ(added->confNo, 4);
    EXPECT_EQ(added->localNo, 2);
    EXPECT_EQ(added->sentBy, 2);
    EXPECT_GT(added->sentAt, 40000.0);
    ASSERT_EQ(st.AuxItemCount(), 1);
    EXPECT_EQ(st.AuxItem(0)->tag, 6);
    EXPECT_EQ(st.AuxItem(0)->creator, 1);
    EXPECT_EQ(st.AuxItem(0)->flags, "00000000");
    EXPECT_EQ(st.AuxItem(0)->data, "yes");
    // The creation time the client reads is the server's local now.
    EXPECT_NEAR(st.CreationTime(), pellar::NowLocal(), 1.0 / 24);
}

TEST_F(ClientParsersTest, CommentWithCarbonCopy)
{
    const std::string line = Body(c->Call("26 2"));
    size_t pos = 0;
    pellar::TextStatType st;
    pellar::ParseTextStat(line, pos, st);
    EXPECT_EQ(pos, line.size());
    ASSERT_EQ(st.MiscInfoCount(), 3);
    auto comm = std::dynamic_pointer_cast<const pellar::TMiscInfoCommTo>(st.MiscInfo(0));
    ASSERT_TRUE(comm);
    EXPECT_EQ(comm->textNo, 1);
    auto cc = std::dynamic_pointer_cast<const pellar::TMiscInfoCC>(st.MiscInfo(2));
    ASSERT_TRUE(cc);
    EXPECT_EQ(cc->confNo, 4);
    EXPECT_EQ(cc->localNo, 1);
}

TEST_F(ClientParsersTest, MembershipsAndConferenceStatus)
{
    ASSERT_EQ(c->Call("27 3 1 { 2 }"), "=10");
    const std::string list = Body(c->Call("46 1 0 65535 1"));
    size_t pos = 0;
    std::vector<std::shared_ptr<pellar::TMiravoMembership>> ms;
    pellar::ParseMembershipList(list, pos, ms, nullptr);
    ASSERT_EQ(ms.size(), 2u);
    EXPECT_EQ(ms[0]->ConfNo(), 1);
    EXPECT_EQ(ms[0]->Priority(), 255);
    EXPECT_EQ(ms[1]->ConfNo(), 3);
    EXPECT_EQ(ms[1]->Priority(), 120);
    EXPECT_EQ(ms[1]->LastTextRead(), 0);
    EXPECT_TRUE(ms[1]->IsRead(2));
    EXPECT_FALSE(ms[1]->IsRead(1));

    const std::string full = Body(c->Call("50 3"));
    pos = 0;
    pellar::TMiravoConferenceBase conf(3);
    pellar::ParseConfStatFull(full, pos, conf);
    const pellar::ConfStatFields f = conf.Snapshot();
    EXPECT_EQ(f.name, "General");
    EXPECT_EQ(f.type, "01000000");
    EXPECT_EQ(f.supervisor, 1);
    EXPECT_EQ(f.firstLocalNo, 1);
    EXPECT_EQ(f.noOfTexts, 3);

    const std::string shortStat = Body(c->Call("78 3"));
    pos = 0;
    pellar::TMiravoConferenceBase conf2(3);
    pellar::ParseConfStatShort(shortStat, pos, conf2);
    EXPECT_EQ(conf2.Snapshot().highestLocalNo, 3);
    EXPECT_EQ(conf2.Snapshot().type, "01000000");
}

} // namespace
} // namespace miravod::test
