// The client's request builders against a live miravod: every builder's line
// must be a request the server takes, with its arguments in the order the
// server reads them. Where a swap would still be accepted, the effect is read
// back through another builder and the client's own reply parsers.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "core/wire/RecordParsers.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/SessionReplies.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/WireTokens.h"
#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

namespace rq = pellar::requests;
using pellar::WireRequest;

class CatalogueRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        c = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(c->Greet("anna"));
    }

    // The reply's values after "=id", or nothing (and a failure) on a refusal.
    std::string Ok(const WireRequest& request)
    {
        const std::string reply = Ask(request);
        const std::string head = "=" + std::to_string(lastId);
        EXPECT_EQ(reply.rfind(head, 0), 0u) << request.Line(lastId) << " -> " << reply;
        return reply.size() > head.size() ? reply.substr(head.size() + 1) : "";
    }
    // The error code of a refusal, -1 when the server took the request.
    int Refused(const WireRequest& request)
    {
        const std::string reply = Ask(request);
        if (reply.rfind("%" + std::to_string(lastId), 0) != 0)
            return -1;
        size_t pos = std::to_string(lastId).size() + 1;
        return pellar::ReadInt(reply, pos);
    }
    std::string Ask(const WireRequest& request)
    {
        lastId = nextId++;
        sent.insert(pellar::Number(request.Number()));
        c->Send(request.Line(lastId));
        return c->ReplyTo(lastId);
    }
    int32_t FirstInt(const WireRequest& request)
    {
        const std::string values = Ok(request);
        size_t pos = 0;
        return pellar::ReadInt(values, pos);
    }
    pellar::ConfStatFields ConfStat(int32_t conf)
    {
        const std::string values = Ok(rq::GetConfStat(conf));
        pellar::TMiravoConferenceBase record(conf);
        size_t pos = 0;
        pellar::ParseConfStatFull(values, pos, record);
        return record.Snapshot();
    }
    std::unique_ptr<pellar::TextStatType> TextStat(int32_t text)
    {
        const std::string values = Ok(rq::GetTextStat(text));
        auto stat = std::make_unique<pellar::TextStatType>();
        size_t pos = 0;
        EXPECT_TRUE(pellar::ParseTextStat(values, pos, *stat));
        EXPECT_TRUE(pellar::ParseAuxItemList(values, pos, *stat));
        return stat;
    }
    bool IsMember(int32_t person, int32_t conf)
    {
        const std::string values = Ok(rq::GetMemberships(person, 0, 100, false));
        std::vector<std::shared_ptr<pellar::TMiravoMembership>> list;
        size_t pos = 0;
        EXPECT_TRUE(pellar::ParseMembershipList(values, pos, list, nullptr));
        return std::any_of(list.begin(), list.end(), [&](const auto& m) { return m->ConfNo() == conf; });
    }
    template <class Link>
    static bool HasLink(const pellar::TextStatType& stat, int32_t other)
    {
        for (const auto& item : stat.MiscInfos()) {
            if (const auto* link = dynamic_cast<const Link*>(item.get()); link && link->textNo == other)
                return true;
        }
        return false;
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> c;
    int nextId = 1;
    int lastId = 0;
    std::set<int32_t> sent;
};

constexpr int kNotImplemented = 2;

TEST_F(CatalogueRoundTrip, EveryBuilderIsTakenWithItsArgumentsInTheServersOrder)
{
    // Before logon: server facts and an account.
    Ok(rq::GetTime());
    EXPECT_EQ(pellar::ParseServerInfo(Ok(rq::GetServerInfo())).Version, 20100);
    const pellar::ServerVersionInfoRec version = pellar::ParseServerVersionInfo(Ok(rq::GetVersionInfo()));
    EXPECT_EQ(version.ProtocolVersion, 11);
    EXPECT_EQ(version.ServerName, "miravod");
    const int32_t anna = FirstInt(rq::CreatePerson("Anna", "secret"));
    const int32_t bert = FirstInt(rq::CreatePerson("Bert", "pw"));
    EXPECT_NE(Refused(rq::Login(anna, "pw", false)), -1) << "the password went in the wrong place";
    Ok(rq::Login(anna, "secret", false));
    Ok(rq::SetClientVersion("Pellar", "9.9"));
    const pellar::AsyncNumber wanted[] = {pellar::AsyncNumber::SendMessage, pellar::AsyncNumber::Login};
    Ok(rq::AcceptAsync(wanted));

    // Sessions: our own is the one with the client name we gave.
    Ok(rq::ChangeActivity("reading"));
    EXPECT_NE(Ok(rq::WhoIsOn(true, 0, true)).find("7Hreading"), std::string::npos);
    Ok(rq::UserActive());
    int32_t session = 0;
    for (int32_t s = 1; s <= 4 && session == 0; ++s) {
        if (Refused(rq::GetClientName(s)) == -1 && Ok(rq::GetClientName(s)) == "6HPellar")
            session = s;
    }
    ASSERT_NE(session, 0);
    EXPECT_EQ(Ok(rq::GetClientVersion(session)), "3H9.9");
    EXPECT_GT(pellar::ParseStaticSessionInfo(Ok(rq::GetStaticSessionInfo(session))).connectionTime, 0);

    // Conferences and memberships.
    const int32_t general = FirstInt(rq::CreateConference("General", "00000000"));
    const int32_t meta = FirstInt(rq::CreateConference("Meta", "00000000"));
    Ok(rq::ChangeName(general, "Chat"));
    EXPECT_EQ(Ok(rq::GetUConfStat(general)).rfind("4HChat", 0), 0u);
    Ok(rq::SetConferenceType(meta, "00100000"));
    EXPECT_EQ(ConfStat(meta).type, "00100000");
    Ok(rq::AddMember(general, anna, 100, 0));
    Ok(rq::AddMember(general, bert, 50, 0));
    Ok(rq::QueryReadTexts(anna, general));
    EXPECT_TRUE(IsMember(bert, general));
    // Anna's letterbox supervises: she keeps the right to change the rest.
    Ok(rq::SetSupervisor(general, anna));
    Ok(rq::SetSuperConference(general, meta));
    EXPECT_EQ(ConfStat(general).supervisor, anna);
    EXPECT_EQ(ConfStat(general).superConf, meta);
    Ok(rq::ChangeConference(general));
    Ok(rq::GetUnreadConfs(anna));
    EXPECT_EQ(Ok(rq::LookupName("Chat", false, true)).rfind("1 ", 0), 0u);
    EXPECT_EQ(Ok(rq::LookupName("Chat", true, false)), "0 *") << "the persons and conferences flags swapped";

    // Texts, their maps, links and aux items.
    const std::string toGeneral = "1 { 0 " + std::to_string(general) + " }";
    const int32_t first = FirstInt(rq::CreateText("Subject\nBody", toGeneral, "0 { }"));
    const int32_t second = FirstInt(rq::CreateTextOld("Second\nBody", toGeneral));
    EXPECT_EQ(Ok(rq::GetText(first, 0, 6)), "7HSubject");
    Ok(rq::GetTextStatOld(second));
    for (const WireRequest& map : {rq::LocalToGlobal(general, 1, 10), rq::GetTextMapOld(general, 1, 10)}) {
        const std::string values = Ok(map);
        EXPECT_NE(values.find(" " + std::to_string(second)), std::string::npos) << values;
    }
    Ok(rq::AddComment(second, first));
    EXPECT_TRUE(HasLink<pellar::TMiscInfoCommTo>(*TextStat(second), first));
    Ok(rq::SubComment(second, first));
    Ok(rq::AddFootnote(second, first));
    EXPECT_TRUE(HasLink<pellar::TMiscInfoFootTo>(*TextStat(second), first));
    Ok(rq::SubFootnote(second, first));
    EXPECT_FALSE(HasLink<pellar::TMiscInfoFootTo>(*TextStat(second), first));
    Ok(rq::AddRecipient(first, meta, 1));
    Ok(rq::SubRecipient(first, meta));
    Ok(rq::AddAuxItem(first, 7, "00000000", 0, ""));
    bool confirmation = false;
    for (const pellar::AuxItemRec& item : TextStat(first)->AuxItems())
        confirmation = confirmation || (item.tag == 7 && item.creator == anna);
    EXPECT_TRUE(confirmation);
    Ok(rq::SetPresentation(general, first));
    Ok(rq::SetNotice(general, second));
    EXPECT_EQ(ConfStat(general).presentation, first);
    EXPECT_EQ(ConfStat(general).msgOfDay, second);

    // Reading, marks and messages.
    const int32_t locals[] = {1, 2};
    Ok(rq::MarkAsRead(general, locals));
    Ok(rq::SetUnread(general, 1));
    Ok(rq::MarkText(first, 42));
    EXPECT_NE(Ok(rq::GetMarks()).find(std::to_string(first) + " 42"), std::string::npos);
    Ok(rq::UnmarkText(first));
    Ok(rq::SendMessage(bert, "hello"));
    Ok(rq::SendMessage(0, "to all"));
    EXPECT_NE(Refused(rq::Enable(255)), kNotImplemented);
    EXPECT_NE(Refused(rq::Sync()), kNotImplemented);

    // What goes last: removals, a new password and the logout.
    Ok(rq::SubMember(general, bert));
    EXPECT_FALSE(IsMember(bert, general));
    Ok(rq::DeleteText(second));
    EXPECT_NE(Refused(rq::GetTextStat(second)), -1);
    Ok(rq::DeleteConference(meta));
    EXPECT_NE(Refused(rq::GetUConfStat(meta)), -1);
    EXPECT_NE(Refused(rq::SetPassword(anna, "wrong", "new")), -1) << "old and new password swapped";
    Ok(rq::SetPassword(anna, "secret", "new"));
    Ok(rq::Logout());
    Ok(rq::Login(anna, "new", true));

    // Every row of the catalogue went through the server once at least.
    EXPECT_EQ(sent.size(), 55u);
}

TEST(RequestLine, JoinsIdNumberAndArgumentsWithSingleBlanks)
{
    EXPECT_EQ(rq::GetTime().Line(7), "7 35\n");
    const int32_t locals[] = {4, 9};
    EXPECT_EQ(rq::MarkAsRead(6, locals).Line(12), "12 27 6 2 { 4 9  }\n");
    EXPECT_EQ(rq::AcceptAsync(pellar::AcceptedAsyncList(9, true)).Line(1), "1 80 9 { 5 7 8 9 11 12 13 0 6 }\n");
    EXPECT_EQ(rq::AcceptAsync(pellar::AcceptedAsyncList(10, false)).Line(1),
              "1 80 11 { 5 7 8 9 11 12 13 14 15 16 17 }\n");
    // Names and messages go as Hollerith strings, whatever bytes they hold.
    EXPECT_EQ(rq::SendMessage(0, "a b\nc").Line(3), "3 53 0 5Ha b\nc\n");
}

TEST(RequestLine, OnlyTheCatalogueBuildsARequest)
{
    // Neither a number nor the builders' key can be had outside the
    // catalogue, so a request by bare number does not compile.
    static_assert(!std::is_constructible_v<WireRequest, pellar::RequestNumber>);
    static_assert(!std::is_constructible_v<WireRequest, pellar::RequestNumber,
                                           std::initializer_list<pellar::RequestArg>>);
    static_assert(!std::is_constructible_v<WireRequest, pellar::RequestNumber, std::vector<std::string>>);
    static_assert(!std::is_default_constructible_v<WireRequest::Key>);
    // What a builder made is an ordinary value.
    static_assert(std::is_copy_constructible_v<WireRequest> && std::is_move_assignable_v<WireRequest>);
    WireRequest kept = rq::GetTime();
    kept = rq::DeleteText(41);
    EXPECT_EQ(kept.Number(), pellar::RequestNumber::DeleteText);
    EXPECT_EQ(kept.Line(2), "2 29 41\n");
}

} // namespace
} // namespace miravod::test
