#include "core/reading/ConferenceCommands.h"

#include <charconv>
#include <memory>

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoMembership.h"
#include "core/session/Client.h"

namespace pellar {

namespace {

int32_t ChooseWithPreset(Client& client, ConferenceCommandUi& ui, std::string_view title, int32_t conf,
                         NameKind kind)
{
    const std::string preset = conf > 0 ? client.Cache().GetName(conf) : std::string();
    return ui.ChooseName(title, preset, kind);
}

// The membership as the server now has it. A failed query keeps the old
// record: an empty one would make every text of the conference unread.
void ReloadMembership(Client& client, int32_t conf)
{
    MVCache& cache = client.Cache();
    const std::shared_ptr<TMiravoMembership> old = cache.RemoveMembership(conf);
    auto fresh = std::make_shared<TMiravoMembership>(conf, &cache);
    TQueryReadTextsTrans query(client.Protocol(), *fresh, client.CurrentPerson(), conf);
    if (!client.Transactions().ExecuteAndWait(query)) {
        if (old)
            cache.PutMembership(old);
        return;
    }
    fresh->SetConfNo(conf);
    fresh->SetServices(&cache);
    fresh->SetMayHaveUnread(true);
    fresh->SetChanged(true);
    cache.PutMembership(fresh);
}

} // namespace

std::optional<int32_t> ParseWholeNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

void SetUnreadInConference(Client& client, ConferenceCommandUi& ui, int32_t conf)
{
    const int32_t chosen = ChooseWithPreset(client, ui, "Set unread in conference", conf, NameKind::Conferences);
    if (chosen == -1)
        return;
    if (!client.Cache().GetMembership(chosen)) {
        client.UserMessages().PostUserMessage("iYou are not a member of that conference");
        return;
    }
    const std::optional<std::string> answer = ui.AskString("Set unread texts", "How many unread?");
    if (!answer)
        return;
    const std::optional<int32_t> count = ParseWholeNumber(*answer);
    if (!count) {
        client.UserMessages().PostUserMessage("!Not a valid number");
        return;
    }
    TGenericTrans request(client.Protocol(), "Set unread in conference", requests::SetUnread(chosen, *count));
    client.Transactions().ExecuteAndWait(request);
    ReloadMembership(client, chosen);
}

int32_t PresentationText(Client& client, int32_t confOrPerson)
{
    if (confOrPerson < 1)
        return 0;
    const auto conf = client.Cache().GetConference(confOrPerson);
    return conf ? conf->Presentation() : 0;
}

void ChangePresentation(Client& client, ConferenceCommandUi& ui, bool person)
{
    const int32_t chosen =
        ui.ChooseName("Change presentation", "", person ? NameKind::Persons : NameKind::Conferences);
    if (chosen == -1)
        return;
    const ServerInfoRec info = client.ServerInfo();
    ui.OpenComposition(person ? PresentationKind::Person : PresentationKind::Conference, chosen,
                       person ? info.PersonPresentationConf : info.ConfPresentationConf,
                       client.Cache().GetName(chosen));
}

namespace {

// Both notice commands ask the same: whose notice.
int32_t ChooseNoticeOwner(ConferenceCommandUi& ui, bool person)
{
    return ui.ChooseName("Change Message Of The Day", "", person ? NameKind::Persons : NameKind::Conferences);
}

} // namespace

void ChangeNotice(Client& client, ConferenceCommandUi& ui, bool person)
{
    const int32_t chosen = ChooseNoticeOwner(ui, person);
    if (chosen == -1)
        return;
    ui.OpenComposition(PresentationKind::Notice, chosen, client.ServerInfo().MotdConf, client.Cache().GetName(chosen));
}

void RemoveNotice(Client& client, ConferenceCommandUi& ui, bool person)
{
    const int32_t chosen = ChooseNoticeOwner(ui, person);
    if (chosen == -1)
        return;
    TGenericTrans request(client.Protocol(), "Set MOTD", requests::SetNotice(chosen, 0));
    if (!client.Transactions().ExecuteAndWait(request))
        client.UserMessages().PostUserMessage("!An error occurred while adding text as Message Of The Day.");
}

bool ChangePriority(Client& client, int32_t conf, int32_t priority)
{
    TGenericTrans request(client.Protocol(), "Change priority",
                          requests::AddMember(conf, client.CurrentPerson(), priority, 0));
    return client.Transactions().ExecuteAndWait(request);
}

} // namespace pellar
