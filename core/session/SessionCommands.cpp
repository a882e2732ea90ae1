#include "core/session/SessionCommands.h"

#include <cstdlib>

#include "core/config/ConfigKeys.h"
#include "core/link/MVRequests.h"
#include "core/commands/MiravoTables.h"
#include "core/wire/WireTokens.h"
#include "core/session/Client.h"

namespace pellar {

namespace {

constexpr int32_t kJoinPriority = 100;

const char* const kPresentationQuestion =
    "You have created a new user. It is a good idea to have a presentation.\r\nWould you like to write a "
    "presentation now?";

// Eight "1"/"0": closed, no comments, secret, "0", anonymous allowed, "000".
std::string ConfTypeText(const CreateConfFields& f)
{
    std::string type;
    type += f.open ? '0' : '1';
    type += f.allowComments ? '0' : '1';
    type += f.secret ? '1' : '0';
    type += '0';
    type += f.allowAnonymous ? '1' : '0';
    type += "000";
    return type;
}

} // namespace

SessionCommands::SessionCommands(Client& client, SessionUi& ui, TickSource ticks)
    : client_(client), ui_(ui), ticks_(std::move(ticks)), lastActiveMs_(NowMs())
{
}

int64_t SessionCommands::NowMs() const
{
    if (ticks_)
        return ticks_();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SessionCommands::Run(const char* label, const WireRequest& wire, std::string* reply)
{
    TGenericTrans request(client_.Protocol(), label, wire);
    const bool ok = client_.Transactions().ExecuteAndWait(request);
    if (ok && reply)
        *reply = request.ReplyLine();
    return ok;
}

bool SessionCommands::JoinConference(int32_t conf)
{
    if (client_.Cache().GetMembership(conf)) {
        client_.UserMessages().PostUserMessage("iYou are already a member of that conference");
        return false;
    }
    if (!Run("Join conf", requests::AddMember(conf, client_.CurrentPerson(), kJoinPriority, 0))) {
        client_.UserMessages().PostUserMessage("iFailed to join the conference");
        return false;
    }
    auto membership = std::make_shared<TMiravoMembership>(conf, &client_.Records());
    membership->SetPriority(kJoinPriority);
    membership->SetMayHaveUnread(true);
    membership->SetChanged(true);
    client_.Cache().PutMembership(membership);
    ui_.refreshConferenceList();
    return true;
}

void SessionCommands::JoinConferenceCommand()
{
    const int32_t conf = ui_.chooseName("Join conference", NameKind::Conferences, "");
    if (conf != -1)
        JoinConference(conf);
}

void SessionCommands::LeaveConference(int32_t conf)
{
    MVCache& cache = client_.Cache();
    const std::string defaultName = conf > 0 ? cache.GetName(conf) : std::string();
    const int32_t chosen = ui_.chooseName("Leave conference", NameKind::Conferences, defaultName);
    if (chosen == -1)
        return;
    const auto membership = cache.GetMembership(chosen);
    if (!membership) {
        client_.UserMessages().PostUserMessage("iYou are not a member of that conference.");
        return;
    }
    // What was read there must reach the server while still a member.
    cache.FlushMarkRead(true);
    if (!Run("Leave conference", requests::SubMember(chosen, client_.CurrentPerson()))) {
        client_.UserMessages().PostUserMessage("!Command failed");
        return;
    }
    ui_.dropConference(chosen);
    membership->SetRemoved(true);
    membership->SetChanged(true);
    ui_.refreshConferenceList();
    cache.RemoveMembership(chosen);
    client_.UserMessages().PostUserMessage("iLeave conference complete.");
}

void SessionCommands::CreateConference()
{
    const int32_t conf = CreateConferenceNamed("");  // empty name, open and commentable
    if (conf > 0)
        ui_.openPresentationEditor(conf);
}

int32_t SessionCommands::CreateConferenceNamed(const std::string& name)
{
    CreateConfFields fields;
    fields.name = name;
    if (!ui_.askCreateConference(fields))
        return -1;
    std::string reply;
    if (!Run("Create conference", requests::CreateConference(fields.name, ConfTypeText(fields)), &reply)) {
        client_.UserMessages().PostUserMessage("!Command failed");
        return -1;
    }
    size_t pos = 0;
    const int32_t conf = ReadInt(reply, pos);
    if (conf <= 0)
        return -1;
    JoinConference(conf);
    return conf;
}

void SessionCommands::DeleteConference()
{
    const int32_t number = ui_.chooseName("Delete what conference or person?", NameKind::Both, "");
    if (number == -1)
        return;
    const bool deleted = Run("Delete conference", requests::DeleteConference(number));
    client_.UserMessages().PostUserMessage(deleted ? "iSuccess!" : "!Command failed");
}

void SessionCommands::RenameConference()
{
    const int32_t number = ui_.chooseName("Change name on what conference or person?", NameKind::Both, "");
    if (number == -1)
        return;
    const std::string current = client_.Cache().GetName(number);
    const auto name = ui_.inputBox("Change conference name", "New name on the conference?", current);
    if (!name)
        return;
    if (!Run("Change name", requests::ChangeName(number, *name))) {
        client_.UserMessages().PostUserMessage("!Command failed");
        return;
    }
    client_.Cache().SetName(number, *name);
    client_.UserMessages().PostUserMessage("iSuccess!");
}

void SessionCommands::ChangePassword()
{
    ChangePasswordFields fields;
    fields.user = client_.Cache().GetName(client_.CurrentPerson());
    // Every way back to the dialog keeps what was typed, so a slip in one
    // field does not cost the other three.
    for (;;) {
        if (!ui_.askChangePassword(fields))
            return;
        const std::optional<int32_t> found = LookUpPerson(fields.user);
        if (!found)
            return;
        const int32_t person = *found;
        if (person == -1)
            client_.UserMessages().PostUserMessage("!No matching names found");
        const bool match = fields.password == fields.confirm;
        if (!match)
            client_.UserMessages().PostUserMessage("!The new passwords do not match");
        if (person == -1 || !match)
            continue;
        // A refusal (a wrong old password, say) was told by the engine.
        if (Run("Set password", requests::SetPassword(person, fields.oldPassword, fields.password))) {
            client_.UserMessages().PostUserMessage("iSuccessfully changed password!");
            return;
        }
    }
}

bool SessionCommands::CreateAccount(const std::string& name, int32_t& person, std::string* password)
{
    person = -1;
    NewAccountFields fields;
    fields.user = name;
    for (;;) {
        if (!ui_.askNewAccount(fields)) {
            client_.ComThread().SetLinkDown(true);
            return false;
        }
        if (fields.password == fields.confirm)
            break;
        client_.UserMessages().PostUserMessage("!The password does not match Confirm password");
    }
    std::string reply;
    if (!Run("Create new account", requests::CreatePerson(fields.user, fields.password), &reply)) {
        client_.ComThread().SetLinkDown(true);
        return false;
    }
    size_t pos = 0;
    person = ReadInt(reply, pos);
    if (password)
        *password = fields.password;
    return true;
}

void SessionCommands::CreateAccountCommand()
{
    NewAccountFields fields;
    for (;;) {
        if (!ui_.askNewAccount(fields))
            return;
        if (fields.password == fields.confirm)
            break;
        client_.UserMessages().PostUserMessage("!The password does not match Confirm password");
    }
    Run("Create new account", requests::CreatePerson(fields.user, fields.password));
}

void SessionCommands::JoinDefaultConferences()
{
    const ServerInfoRec info = client_.ServerInfo();
    for (int32_t conf : {info.ConfPresentationConf, info.PersonPresentationConf, info.JoinOnCreateConf}) {
        if (conf > 0)
            JoinConference(conf);
    }
    if (ui_.askYesNo(kPresentationQuestion))
        ui_.openPresentationEditor(client_.CurrentPerson());
}

void SessionCommands::AddMember()
{
    const auto member = ui_.askConfMember("Add member to conference");
    if (!member)
        return;
    if (Run("Add member", requests::AddMember(member->conf, member->person, kJoinPriority, 0)))
        client_.UserMessages().PostUserMessage("iOperation Add Member successful");
}

void SessionCommands::RemoveMember()
{
    const auto member = ui_.askConfMember("Remove member from conference");
    if (!member)
        return;
    if (Run("Remove member", requests::SubMember(member->conf, member->person)))
        client_.UserMessages().PostUserMessage("iOperation Remove Member successful");
}

void SessionCommands::GoToConference()
{
    const int32_t conf = ui_.chooseName("Goto conference", NameKind::Both, "");
    if (conf != -1)
        ui_.goToConference(conf);
}

// What these two should show is not settled; they only ask.
void SessionCommands::ViewConferenceStatistics()
{
    ui_.chooseName("View conference statistics", NameKind::Conferences, "");
}

void SessionCommands::ViewUserStatistics()
{
    ui_.chooseName("View user statistics", NameKind::Persons, "");
}

void SessionCommands::AdministratorMode(bool checked)
{
    const int32_t level = checked ? 0 : 255;
    if (!Run("Enable", requests::Enable(level))) {
        client_.UserMessages().PostUserMessage("!Enabling administrator flags failed");
        return;
    }
    ui_.setAdministratorMode(level == 255);
}

void SessionCommands::SynchroniseDatabase()
{
    Run("Sync ORV", requests::Sync());
}

std::optional<int32_t> SessionCommands::LookUpPerson(const std::string& name)
{
    TNumberFromNameTrans request(client_.Protocol(), name, true, false);
    // A refusal or an unreadable reply is shown as it comes and a lost link
    // is reported by the session: none of them may read as "no such name".
    if (!client_.Transactions().ExecuteAndWait(request))
        return std::nullopt;
    const auto& matches = request.Results();
    if (matches.empty())
        return -1;
    if (matches.size() == 1)
        return matches.front().number;
    return ui_.chooseMatch(matches);
}

void SessionCommands::ChangeActivity(int index)
{
    const TMiravoConfiguration& config = client_.Config();
    std::string text = config.ReadString(ActivityConfigKey("override"), "");
    if (text.empty() && index >= 0 && index < static_cast<int>(MiravoActivities.size()))
        text = config.ReadString(ActivityConfigKey(MiravoActivities[static_cast<size_t>(index)].key), "");
    {
        std::lock_guard lock(activityMutex_);
        if (text == lastActivity_)
            return;
        lastActivity_ = text;
    }
    client_.Transactions().Execute(
        std::make_unique<TGenericTrans>(client_.Protocol(), "Change activity", requests::ChangeActivity(text)));
}

void SessionCommands::UserActive()
{
    const int64_t now = NowMs();
    int64_t last = lastActiveMs_.load();
    do {
        if (std::llabs(now - last) < kUserActiveInterval.count())
            return;
    } while (!lastActiveMs_.compare_exchange_weak(last, now));
    client_.Transactions().Execute(
        std::make_unique<TGenericTrans>(client_.Protocol(), "User active", requests::UserActive()));
}

} // namespace pellar
