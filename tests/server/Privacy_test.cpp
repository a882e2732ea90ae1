// What one session may learn of another: invisible sessions, system logins
// and addresses, someone else's read state, and how much a reader may hang
// on someone else's text.
#include <map>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

// On the demo data: the administrator ("Demo User"), two ordinary users, and
// a guest that never logs on. Erik is on invisibly.
class PrivacyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions o;
        o.demo = true;
        server = StartServer(o);
        admin = Logon("Demo User", false);
        anna = Logon("Anna Berg", false);
        erik = Logon("Erik Holm", true);
        guest = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(guest->Greet("guest"));
    }

    std::unique_ptr<RawClient> Logon(const std::string& name, bool invisible)
    {
        auto c = std::make_unique<RawClient>(server->Port());
        EXPECT_TRUE(c->Greet("os-" + std::to_string(name.size())));
        const int32_t person = Number(*c, name);
        persons[name] = person;
        EXPECT_EQ(c->Call("62 " + std::to_string(person) + " 4Hdemo " + (invisible ? "1" : "0")).substr(0, 1), "=");
        return c;
    }

    static int32_t Number(RawClient& c, const std::string& name)
    {
        const std::string reply = c.Call("76 " + std::to_string(name.size()) + "H" + name + " 1 0");
        std::smatch m;
        const std::regex one(R"(^=\d+ 1 \{ \d+H.* \d+ (\d+) \}$)");
        return std::regex_match(reply, m, one) ? std::stoi(m[1].str()) : -1;
    }

    // The session numbers listed by a who-is-on request.
    static std::set<int32_t> Listed(RawClient& c, bool wantInvisible)
    {
        const std::string reply = c.Call(std::string("83 ") + (wantInvisible ? "1" : "0") + " 0 0");
        std::set<int32_t> out;
        static const std::regex item(R"( (\d+) (\d+) -?\d+ \d+ [01]{8} \d+H)");
        for (std::sregex_iterator it(reply.begin(), reply.end(), item), end; it != end; ++it)
            out.insert(std::stoi((*it)[1].str()));
        return out;
    }

    // Who-is-on as the administrator sees it: session number by person.
    int32_t SessionOf(const std::string& name)
    {
        const std::string reply = admin->Call("83 1 0 0");
        const std::regex item(" (\\d+) " + std::to_string(persons[name]) + " ");
        std::smatch m;
        return std::regex_search(reply, m, item) ? std::stoi(m[1].str()) : -1;
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> admin, anna, erik, guest;
    std::map<std::string, int32_t> persons;
};

TEST_F(PrivacyTest, InvisibleSessionsOnlyForThemselvesAndAdministrators)
{
    ASSERT_EQ(admin->Call("42 255").substr(0, 1), "=");
    const int32_t erikSession = SessionOf("Erik Holm");
    const int32_t annaSession = SessionOf("Anna Berg");
    ASSERT_GT(erikSession, 0);
    ASSERT_GT(annaSession, 0);

    // Asking for invisible sessions is not enough.
    EXPECT_FALSE(Listed(*guest, true).count(erikSession));
    EXPECT_TRUE(Listed(*guest, true).count(annaSession));
    EXPECT_FALSE(Listed(*anna, true).count(erikSession));
    EXPECT_TRUE(Listed(*erik, true).count(erikSession));
    EXPECT_TRUE(Listed(*erik, false).count(erikSession)); // one's own session always
    EXPECT_TRUE(Listed(*admin, true).count(erikSession));
    EXPECT_FALSE(Listed(*admin, false).count(erikSession));

    // Nor can the session be described to those who may not see it.
    const std::string n = std::to_string(erikSession);
    EXPECT_EQ(guest->Call("84 " + n).substr(0, 1), "%");
    EXPECT_EQ(anna->Call("70 " + n).substr(0, 1), "%");
    EXPECT_EQ(admin->Call("84 " + n).substr(0, 1), "=");

    // An administrator out of administrator mode is an ordinary reader.
    ASSERT_EQ(admin->Call("42 0").substr(0, 1), "=");
    EXPECT_FALSE(Listed(*admin, true).count(erikSession));
}

TEST_F(PrivacyTest, SystemLoginAndAddressOnlyForTheirPersonAndAdministrators)
{
    ASSERT_EQ(admin->Call("42 255").substr(0, 1), "=");
    const std::string annaSession = std::to_string(SessionOf("Anna Berg"));
    const std::regex full(R"(^=\d+ 4Hos-9 9H127\.0\.0\.1 \d+H.* (-?\d+ ){8}-?\d+$)");
    const std::regex withheld(R"(^=\d+ 0H 0H 0H (-?\d+ ){8}-?\d+$)");
    const std::string toAnna = anna->Call("84 " + annaSession);
    EXPECT_TRUE(std::regex_match(toAnna, full)) << toAnna;
    const std::string toAdmin = admin->Call("84 " + annaSession);
    EXPECT_TRUE(std::regex_match(toAdmin, full)) << toAdmin;
    const std::string toGuest = guest->Call("84 " + annaSession);
    EXPECT_TRUE(std::regex_match(toGuest, withheld)) << toGuest;
    const std::string toErik = erik->Call("84 " + annaSession);
    EXPECT_TRUE(std::regex_match(toErik, withheld)) << toErik;
}

TEST_F(PrivacyTest, SomeoneElsesMembershipsWithoutWhatTheyRead)
{
    const std::string annaNo = std::to_string(persons["Anna Berg"]);
    // Anna reads something, so that she has a read state to hide.
    const std::string own = anna->Call("46 " + annaNo + " 0 65535 1");
    ASSERT_EQ(own.substr(0, 1), "=");
    static const std::regex element(R"(((?:-?\d+ ){8}-?\d+) (\d+) (\d+) (\d+) (\d+ \*|\d+ \{[ \d]*\}))");
    for (std::sregex_iterator it(own.begin(), own.end(), element), end; it != end; ++it)
        ASSERT_EQ(anna->Call("40 " + (*it)[2].str() + " 0").substr(0, 1), "="); // everything read there
    const std::string mine = anna->Call("46 " + annaNo + " 0 65535 1");

    const std::string seen = erik->Call("46 " + annaNo + " 0 65535 1");
    ASSERT_EQ(seen.substr(0, 1), "=");
    // The same conferences and priorities, in the same order...
    auto shape = [](const std::string& reply) {
        std::vector<std::string> out;
        for (std::sregex_iterator it(reply.begin(), reply.end(), element), end; it != end; ++it)
            out.push_back((*it)[2].str() + "@" + (*it)[3].str());
        return out;
    };
    EXPECT_EQ(shape(seen), shape(mine));
    EXPECT_FALSE(shape(seen).empty());
    // ...but no last-read text, no read texts, no time of reading.
    bool someReadState = false;
    for (std::sregex_iterator it(mine.begin(), mine.end(), element), end; it != end; ++it)
        someReadState = someReadState || (*it)[4].str() != "0";
    EXPECT_TRUE(someReadState) << mine;
    for (std::sregex_iterator it(seen.begin(), seen.end(), element), end; it != end; ++it) {
        EXPECT_EQ((*it)[4].str(), "0") << seen;
        EXPECT_EQ((*it)[5].str(), "0 *") << seen;
    }
    // An administrator sees it all.
    ASSERT_EQ(admin->Call("42 255").substr(0, 1), "=");
    const std::string asAdmin = admin->Call("46 " + annaNo + " 0 65535 1");
    EXPECT_EQ(asAdmin.substr(asAdmin.find(' ')), mine.substr(mine.find(' ')));
}

TEST_F(PrivacyTest, AuxItemsOnSomeoneElsesTextAreRationedPerReader)
{
    // A text of Anna's in a conference that Erik and the administrator read too.
    auto confs = [](RawClient& c, int32_t person) {
        const std::string reply = c.Call("46 " + std::to_string(person) + " 0 65535 0");
        std::set<std::string> out;
        static const std::regex conf(R"((?:-?\d+ ){9}(\d+) \d+ \d+ 0 \*)");
        for (std::sregex_iterator it(reply.begin(), reply.end(), conf), end; it != end; ++it)
            out.insert((*it)[1].str());
        return out;
    };
    std::string conf;
    const std::set<std::string> erikConfs = confs(*erik, persons["Erik Holm"]);
    const std::set<std::string> adminConfs = confs(*admin, persons["Demo User"]);
    for (const std::string& c : confs(*anna, persons["Anna Berg"]))
        if (erikConfs.count(c) && adminConfs.count(c))
            conf = c;
    ASSERT_FALSE(conf.empty());
    const std::string created = anna->Call("86 5HMine\n 1 { 0 " + conf + " } 0 *");
    ASSERT_EQ(created.substr(0, 1), "=") << created;
    const std::string text = created.substr(created.rfind(' ') + 1);

    auto add = [&](RawClient& c, const std::string& data) {
        return c.Call("92 " + text + " 0 { } 1 { 1 00000000 0 " + std::to_string(data.size()) + "H" + data + " }");
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(add(*erik, "e").substr(0, 1), "=") << i;
    EXPECT_WIRE(add(*erik, "e"), "%<n> 46 0");
    // Another reader has a ration of their own, in bytes too; an
    // administrator out of administrator mode is such a reader.
    EXPECT_EQ(add(*admin, std::string(4000, 'g')).substr(0, 1), "=");
    EXPECT_WIRE(add(*admin, std::string(200, 'g')), "%<n> 5 0");
    // The author is not rationed on her own text.
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(add(*anna, std::string(2000, 'a')).substr(0, 1), "=") << i;

    // Removing one's own item makes room again.
    const std::string status = erik->Call("90 " + text);
    std::smatch item;
    const std::string erikNo = std::to_string(persons["Erik Holm"]);
    ASSERT_TRUE(std::regex_search(status, item, std::regex(" (\\d+) 1 " + erikNo + " "))) << status;
    EXPECT_EQ(erik->Call("92 " + text + " 1 { " + item[1].str() + " } 1 { 1 00000000 0 1He }").substr(0, 1), "=");
}

} // namespace
} // namespace miravod::test
