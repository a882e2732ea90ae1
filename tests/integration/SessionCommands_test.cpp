// The session commands against the reference server, with scripted dialogs.
#include <algorithm>
#include <atomic>

#include "core/link/MVRequests.h"
#include "core/commands/MiravoTables.h"
#include "core/wire/TMiravoConferenceBase.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;

class SessionCommandsTest : public SessionFixture {
protected:
    void SetUp() override { StartServer(); }

    // A new person, logged on, member of the server's default conferences.
    void LogOnNewPerson(SessionClient& c, const std::string& name)
    {
        c.ui.yesNo = {true, false};
        c.ui.newAccounts = {{name, "pw", "pw"}};
        ASSERT_TRUE(LogOn(c, name, "pw"));
        // What the logon sent without waiting (the activity) has passed the
        // relay once a later request is answered.
        TGenericTrans ping(c.client.Protocol(), "Get time", requests::GetTime());
        ASSERT_TRUE(c.client.Transactions().ExecuteAndWait(ping));
        c.Messages();
        relay->ClearSent();
    }

    // The one conference (or person) the server finds by the name; -1 for none or several.
    static int32_t ConfNumber(Client& client, const std::string& name, bool person = false)
    {
        TNumberFromNameTrans lookup(client.Protocol(), name, person, !person);
        if (!client.Transactions().ExecuteAndWait(lookup) || lookup.Results().size() != 1)
            return -1;
        return lookup.Results()[0].number;
    }

    // The conferences the server lists for the client's person.
    static std::vector<int32_t> ServerMemberships(Client& client)
    {
        std::vector<std::shared_ptr<TMiravoMembership>> list;
        TGetMembershipTrans request(client.Protocol(), client.CurrentPerson(), list, nullptr);
        EXPECT_TRUE(client.Transactions().ExecuteAndWait(request));
        std::vector<int32_t> confs;
        for (const auto& m : list)
            confs.push_back(m->ConfNo());
        return confs;
    }

    static bool Has(const std::vector<int32_t>& v, int32_t x) { return std::count(v.begin(), v.end(), x) > 0; }

    static ConfStatFields ServerStatus(Client& client, int32_t conf)
    {
        TMiravoConferenceBase record(conf);
        TGetConfStatTrans request(client.Protocol(), record, conf);
        EXPECT_TRUE(client.Transactions().ExecuteAndWait(request));
        return record.Snapshot();
    }
};

TEST_F(SessionCommandsTest, JoinOnceThenTheSecondJoinSendsNothing)
{
    SessionClient c;
    LogOnNewPerson(c, "Joiner One");
    const int32_t general = ConfNumber(c.client, "General discussion");
    ASSERT_GT(general, 0);
    const int refreshes = c.ui.conferenceListRefreshes;

    c.ui.names = {general};
    c.commands.JoinConferenceCommand();
    ASSERT_EQ(c.ui.nameAsks.size(), 1u);
    EXPECT_EQ(c.ui.nameAsks[0].title, "Join conference");
    EXPECT_EQ(c.ui.nameAsks[0].kind, NameKind::Conferences);
    const std::string person = std::to_string(c.client.CurrentPerson());
    EXPECT_THAT(SentRequests(14), ElementsAre("14 " + std::to_string(general) + " " + person + " 100 0"));
    const auto m = c.client.Cache().GetMembership(general);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Priority(), 100);
    EXPECT_TRUE(m->MayHaveUnread());
    EXPECT_TRUE(m->Changed());
    EXPECT_EQ(c.ui.conferenceListRefreshes, refreshes + 1);
    EXPECT_TRUE(Has(ServerMemberships(c.client), general));

    EXPECT_FALSE(c.commands.JoinConference(general));
    EXPECT_EQ(SentRequests(14).size(), 1u);
    EXPECT_THAT(c.Messages(), ElementsAre("iYou are already a member of that conference"));
}

TEST_F(SessionCommandsTest, RefusedJoinChangesNoCache)
{
    SessionClient c;
    LogOnNewPerson(c, "Joiner Two");
    const int32_t board = ConfNumber(c.client, "Board room");  // closed
    ASSERT_GT(board, 0);
    EXPECT_FALSE(c.commands.JoinConference(board));
    const auto messages = c.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0][0], '!');  // the server's reason first
    EXPECT_EQ(messages[1], "iFailed to join the conference");
    EXPECT_FALSE(c.client.Cache().GetMembership(board));
}

TEST_F(SessionCommandsTest, LeaveFlushesTheReadMarksFirst)
{
    SessionClient c;
    LogOnNewPerson(c, "Leaver One");
    const int32_t conf = c.client.ServerInfo().JoinOnCreateConf;
    const auto membership = c.client.Cache().GetMembership(conf);
    ASSERT_TRUE(membership);
    c.client.Cache().QueueMarkRead(conf, 1);

    c.ui.names = {conf};
    c.commands.LeaveConference(conf);
    ASSERT_EQ(c.ui.nameAsks.size(), 1u);
    EXPECT_EQ(c.ui.nameAsks[0].title, "Leave conference");
    EXPECT_EQ(c.ui.nameAsks[0].defaultName, "Welcome");
    EXPECT_EQ(SentRequestNumbers(), (std::vector<int>{78, 27, 15}));
    EXPECT_THAT(c.Messages(), ElementsAre("iLeave conference complete."));
    EXPECT_FALSE(c.client.Cache().GetMembership(conf));
    EXPECT_TRUE(membership->Removed());
    EXPECT_THAT(c.ui.droppedConferences, ElementsAre(conf));
    EXPECT_FALSE(Has(ServerMemberships(c.client), conf));

    // Not a member any more: nothing is sent.
    relay->ClearSent();
    c.ui.names = {conf};
    c.commands.LeaveConference(0);
    EXPECT_EQ(c.ui.nameAsks.back().defaultName, "");
    EXPECT_THAT(c.Messages(), ElementsAre("iYou are not a member of that conference."));
    EXPECT_TRUE(SentRequests(15).empty());
    // A cancelled chooser ends the command.
    c.commands.LeaveConference(0);
    EXPECT_TRUE(c.Messages().empty());
}

TEST_F(SessionCommandsTest, CreateConferenceBuildsTheTypeFromTheBoxes)
{
    SessionClient c;
    LogOnNewPerson(c, "Creator One");

    CreateConfFields none;
    none.name = "Closed Quiet Room";
    none.open = none.allowComments = none.secret = none.allowAnonymous = false;
    c.ui.createConf = none;
    c.commands.CreateConference();
    ASSERT_EQ(c.ui.createConfDialogs.size(), 1u);
    const CreateConfFields& reset = c.ui.createConfDialogs[0];
    EXPECT_TRUE(reset.name.empty());
    EXPECT_TRUE(reset.open && reset.allowComments && !reset.secret && !reset.allowAnonymous);
    EXPECT_THAT(SentRequests(10), ElementsAre("10 " + EncodeHollerith(none.name) + " 11000000"));
    const int32_t closed = ConfNumber(c.client, none.name);
    ASSERT_GT(closed, 0);
    EXPECT_TRUE(c.client.Cache().GetMembership(closed));
    EXPECT_THAT(c.ui.presentationEditors, ElementsAre(closed));
    EXPECT_EQ(ServerStatus(c.client, closed).supervisor, c.client.CurrentPerson());

    CreateConfFields all;
    all.name = "Open Secret Room";
    all.open = all.allowComments = all.secret = all.allowAnonymous = true;
    c.ui.createConf = all;
    c.commands.CreateConference();
    EXPECT_EQ(SentRequests(10).back(), "10 " + EncodeHollerith(all.name) + " 00101000");
    EXPECT_GT(ConfNumber(c.client, all.name), 0);
    EXPECT_TRUE(c.Messages().empty());

    // A name that exists is refused.
    c.commands.CreateConference();
    const auto messages = c.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "!Command failed");
    EXPECT_EQ(c.ui.presentationEditors.size(), 2u);

    // Cancelled: nothing sent.
    c.ui.createConf.reset();
    const size_t sent = SentRequests(10).size();
    c.commands.CreateConference();
    EXPECT_EQ(SentRequests(10).size(), sent);
}

TEST_F(SessionCommandsTest, DeleteAndRename)
{
    SessionClient c;
    LogOnNewPerson(c, "Renamer One");
    CreateConfFields fields;
    fields.name = "Doomed Room";
    c.ui.createConf = fields;
    c.commands.CreateConference();
    const int32_t conf = ConfNumber(c.client, "Doomed Room");
    ASSERT_GT(conf, 0);
    c.Messages();

    c.ui.names = {conf};
    c.ui.input = "Renamed Room";
    c.commands.RenameConference();
    EXPECT_EQ(c.ui.nameAsks.back().title, "Change name on what conference or person?");
    EXPECT_EQ(c.ui.nameAsks.back().kind, NameKind::Both);
    EXPECT_EQ(c.ui.lastInputDefault, "Doomed Room");
    EXPECT_THAT(c.Messages(), ElementsAre("iSuccess!"));
    EXPECT_EQ(ServerStatus(c.client, conf).name, "Renamed Room");
    EXPECT_EQ(c.client.Cache().GetName(conf), "Renamed Room");

    // A cancelled input box sends nothing.
    c.ui.names = {conf};
    c.ui.input.reset();
    c.commands.RenameConference();
    EXPECT_EQ(SentRequests(3).size(), 1u);

    // Someone else's conference cannot be renamed or deleted.
    const int32_t welcome = c.client.ServerInfo().JoinOnCreateConf;
    c.ui.names = {welcome};
    c.ui.input = "Mine Now";
    c.commands.RenameConference();
    EXPECT_EQ(c.Messages().back(), "!Command failed");
    c.ui.names = {welcome};
    c.commands.DeleteConference();
    EXPECT_EQ(c.Messages().back(), "!Command failed");

    c.ui.names = {conf};
    c.commands.DeleteConference();
    EXPECT_EQ(c.ui.nameAsks.back().title, "Delete what conference or person?");
    EXPECT_THAT(c.Messages(), ElementsAre("iSuccess!"));
    c.client.Cache().ClearAllCaches();
    EXPECT_THROW(c.client.Cache().GetNameOrFail(conf), NoSuchConferenceException);
}

TEST_F(SessionCommandsTest, ChangePasswordAsksAgainUntilTheFieldsAgree)
{
    SessionClient c;
    LogOnNewPerson(c, "Password Changer");
    c.ui.passwords = {{"Nobody By This Name", "pw", "new", "wen"},
                      {"Password Changer", "pw", "newpw", "newpw"}};
    c.commands.ChangePassword();
    ASSERT_EQ(c.ui.passwordDialogs.size(), 2u);
    EXPECT_EQ(c.ui.passwordDialogs[0].user, "Password Changer");
    EXPECT_TRUE(c.ui.passwordDialogs[0].password.empty());
    EXPECT_THAT(c.Messages(), ElementsAre("!No matching names found", "!The new passwords do not match",
                                          "iSuccessfully changed password!"));
    EXPECT_EQ(SentRequests(8).size(), 1u);
    // The second showing came back with what the first one had typed.
    EXPECT_EQ(c.ui.passwordDialogs[1].user, "Nobody By This Name");
    EXPECT_EQ(c.ui.passwordDialogs[1].oldPassword, "pw");
    EXPECT_EQ(c.ui.passwordDialogs[1].password, "new");
    EXPECT_EQ(c.ui.passwordDialogs[1].confirm, "wen");

    SessionClient again;
    EXPECT_TRUE(LogOnDirect(again, "Password Changer", "newpw"));
}

TEST_F(SessionCommandsTest, ARefusedPasswordChangeShowsTheDialogAgainWithWhatWasTyped)
{
    SessionClient c;
    LogOnNewPerson(c, "Password Refused");
    c.Messages();
    c.ui.passwords = {{"Password Refused", "wrong", "newpw", "newpw"}};
    c.commands.ChangePassword();
    // The refusal, then the dialog again (cancelled here) with the fields.
    ASSERT_EQ(c.ui.passwordDialogs.size(), 2u);
    EXPECT_EQ(c.ui.passwordDialogs[1].oldPassword, "wrong");
    EXPECT_EQ(c.ui.passwordDialogs[1].password, "newpw");
    EXPECT_EQ(SentRequests(8).size(), 1u);
    const std::vector<std::string> messages = c.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].front(), '!');
}

TEST_F(SessionCommandsTest, AddAndRemoveMember)
{
    SessionClient c;
    ASSERT_TRUE(LogOn(c));  // the demo user supervises the board room
    const int32_t board = ConfNumber(c.client, "Board room");
    const int32_t lena = ConfNumber(c.client, "Lena Dahl", true);
    ASSERT_GT(board, 0);
    ASSERT_GT(lena, 0);
    c.Messages();

    c.ui.member = SessionUi::ConfMember{board, lena};
    c.commands.AddMember();
    EXPECT_THAT(c.ui.memberDialogs, ElementsAre("Add member to conference"));
    EXPECT_THAT(c.Messages(), ElementsAre("iOperation Add Member successful"));
    EXPECT_THAT(SentRequests(14), ElementsAre("14 " + std::to_string(board) + " " + std::to_string(lena) + " 100 0"));

    SessionClient lenaClient;
    ASSERT_TRUE(LogOnDirect(lenaClient, "Lena Dahl", kDemoPassword));
    EXPECT_TRUE(Has(ServerMemberships(lenaClient.client), board));

    c.commands.RemoveMember();
    EXPECT_EQ(c.ui.memberDialogs.back(), "Remove member from conference");
    EXPECT_THAT(c.Messages(), ElementsAre("iOperation Remove Member successful"));
    EXPECT_FALSE(Has(ServerMemberships(lenaClient.client), board));

    // Cancelled dialog: nothing.
    c.ui.member.reset();
    c.commands.AddMember();
    EXPECT_EQ(SentRequests(14).size(), 1u);
}

TEST_F(SessionCommandsTest, AdministratorModeFollowsTheServersAnswer)
{
    SessionClient admin;
    ASSERT_TRUE(LogOn(admin));
    relay->ClearSent();
    admin.commands.AdministratorMode(false);
    EXPECT_EQ(admin.ui.adminMode, std::optional<bool>(true));
    admin.commands.SynchroniseDatabase();
    admin.commands.AdministratorMode(true);
    EXPECT_EQ(admin.ui.adminMode, std::optional<bool>(false));
    EXPECT_THAT(SentRequests(42), ElementsAre("42 255", "42 0"));
    EXPECT_THAT(SentRequests(43), ElementsAre("43"));
    EXPECT_TRUE(admin.Messages().empty());
    ASSERT_TRUE(admin.logon.LogOff());

    SessionClient plain;
    LogOnNewPerson(plain, "Not An Admin");
    plain.commands.AdministratorMode(false);
    EXPECT_FALSE(plain.ui.adminMode.has_value());
    const auto messages = plain.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "!Enabling administrator flags failed");
}

TEST_F(SessionCommandsTest, ActivityIsSentOnlyWhenItChangesAndTheOverrideWins)
{
    SessionClient c;
    TMiravoConfiguration& config = c.client.Config();
    config.WriteString("Activity-read", "reading");
    config.WriteString("Activity-write", "writing");
    config.WriteString("Activity-wait", "waiting");
    ASSERT_TRUE(LogOn(c));
    EXPECT_THAT(SentRequests(4), ElementsAre("4 " + EncodeHollerith("waiting")));
    relay->ClearSent();

    c.commands.ChangeActivity(3);  // read
    c.commands.ChangeActivity(3);
    c.commands.ChangeActivity(5);  // write
    config.WriteString("Activity-override", "away");
    c.commands.ChangeActivity(3);
    c.commands.ChangeActivity(5);
    c.commands.ChangeActivity(6);
    // A waited request after them: once it is answered they have all gone out.
    c.client.Cache().ClearAllCaches();
    c.client.Cache().GetName(c.client.CurrentPerson());
    EXPECT_THAT(SentRequests(4), ElementsAre("4 " + EncodeHollerith("reading"), "4 " + EncodeHollerith("writing"),
                                             "4 " + EncodeHollerith("away")));

    // Only a text that differs from the last one sent goes out, also across
    // sessions.
    ASSERT_TRUE(c.logon.LogOff());
    relay->ClearSent();
    ASSERT_TRUE(LogOn(c));
    c.client.Cache().ClearAllCaches();
    c.client.Cache().GetName(c.client.CurrentPerson());
    EXPECT_THAT(SentRequests(4), ElementsAre());
}

TEST_F(SessionCommandsTest, UserActiveIsSentAtMostEveryThirtySeconds)
{
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    std::atomic<int64_t> now{0};
    SessionCommands commands(c.client, c.ui, [&] { return now.load(); });
    relay->ClearSent();

    now = 10000;
    commands.UserActive();  // too soon after start
    now = 30000;
    commands.UserActive();
    now = 40000;
    commands.UserActive();  // ten seconds later: nothing
    now = 60000;
    commands.UserActive();
    now = 20000;
    commands.UserActive();  // the clock went back a long way
    ASSERT_TRUE(c.logon.LogOff());
    EXPECT_EQ(SentRequests(82).size(), 3u);
}

TEST_F(SessionCommandsTest, ChoosersOfTheViewingCommands)
{
    SessionClient c;
    c.ui.names = {7};
    c.commands.GoToConference();
    c.commands.ViewConferenceStatistics();
    c.commands.ViewUserStatistics();
    EXPECT_THAT(c.ui.wentTo, ElementsAre(7));
    ASSERT_EQ(c.ui.nameAsks.size(), 3u);
    EXPECT_EQ(c.ui.nameAsks[0].title, "Goto conference");
    EXPECT_EQ(c.ui.nameAsks[0].kind, NameKind::Both);
    EXPECT_EQ(c.ui.nameAsks[1].title, "View conference statistics");
    EXPECT_EQ(c.ui.nameAsks[2].kind, NameKind::Persons);
}

} // namespace
} // namespace pellar::test
