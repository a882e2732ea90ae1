#include "server/AsyncDelivery.h"

#include "server/ReplyFormat.h"
#include "server/SessionTable.h"
#include "server/Store.h"

namespace miravod {

void AsyncDelivery::Queue(const Session& s, std::string bytes)
{
    if (s.sink) pending_.emplace_back(s.number, std::move(bytes));
}

void AsyncDelivery::Flush()
{
    auto pending = std::move(pending_);
    pending_.clear();
    for (auto& [number, bytes] : pending) {
        Session* s = sessions_.Find(number);
        if (s && s->sink) s->sink(bytes);
    }
}

void AsyncDelivery::NewText(const Text& text)
{
    std::string newer, older;
    for (Session* s : sessions_.All()) {
        if (s->person == 0) continue;
        bool concerned = s->person == text.author;
        for (const MiscItem& m : text.misc) {
            if (concerned) break;
            concerned = m.IsRecipient() && store_.IsMember(s->person, m.number);
        }
        if (!concerned) continue;
        if (!oldProtocol_ && s->Accepts(AsyncNumber::NewText)) {
            if (newer.empty())
                newer = WireAsync(AsyncNumber::NewText, 3,
                                  std::to_string(text.number) + ' ' + WireTextStat(text) + ' ' + WireAuxList(text));
            Queue(*s, newer);
        } else if (s->Accepts(AsyncNumber::NewTextOld)) {
            if (older.empty())
                older = WireAsync(AsyncNumber::NewTextOld, 2, std::to_string(text.number) + ' ' + WireTextStat(text));
            Queue(*s, older);
        }
    }
}

void AsyncDelivery::NameChanged(int32_t number, const std::string& oldName, const std::string& newName)
{
    const std::string msg =
        WireAsync(AsyncNumber::NewName, 3,
                  std::to_string(number) + ' ' + WireString(oldName) + ' ' + WireString(newName));
    for (Session* s : sessions_.All()) {
        if (s->Accepts(AsyncNumber::NewName) && store_.CanSeeConf(s->person, number, s->adminEnabled)) Queue(*s, msg);
    }
}

void AsyncDelivery::Presence(const Session& who)
{
    if (who.invisible || who.person == 0) return;
    const std::string msg =
        WireAsync(AsyncNumber::IAmOn, 5, std::to_string(who.person) + ' ' + std::to_string(who.workingConf) + ' ' +
                                             std::to_string(who.number) + ' ' + WireString(who.activity) + ' ' +
                                             WireString(who.userName + "@" + who.host));
    for (Session* s : sessions_.All()) {
        if (s->Accepts(AsyncNumber::IAmOn)) Queue(*s, msg);
    }
}

void AsyncDelivery::Synchronising()
{
    const std::string msg = WireAsync(AsyncNumber::SyncDatabase, 0, "");
    for (Session* s : sessions_.All()) {
        if (s->Accepts(AsyncNumber::SyncDatabase)) Queue(*s, msg);
    }
}

void AsyncDelivery::LoggedOn(const Session& who)
{
    if (who.invisible) return;
    const std::string msg =
        WireAsync(AsyncNumber::Login, 2, std::to_string(who.person) + ' ' + std::to_string(who.number));
    for (Session* s : sessions_.All()) {
        if (s->Accepts(AsyncNumber::Login)) Queue(*s, msg);
    }
}

void AsyncDelivery::LoggedOff(int32_t person, int32_t session, bool invisible)
{
    if (invisible || person == 0) return;
    const std::string msg = WireAsync(AsyncNumber::Logout, 2, std::to_string(person) + ' ' + std::to_string(session));
    for (Session* s : sessions_.All()) {
        if (s->number != session && s->Accepts(AsyncNumber::Logout)) Queue(*s, msg);
    }
}

void AsyncDelivery::Message(int32_t recipient, int32_t sender, int32_t senderSession, const std::string& text)
{
    const std::string msg =
        WireAsync(AsyncNumber::SendMessage, 3,
                  std::to_string(recipient) + ' ' + std::to_string(sender) + ' ' + WireString(text));
    const bool toPerson = store_.Pers(recipient) != nullptr;
    for (Session* s : sessions_.All()) {
        if (s->number == senderSession || !s->Accepts(AsyncNumber::SendMessage) || s->person == 0) continue;
        const bool reached = recipient == 0 || (toPerson ? s->person == recipient
                                                         : store_.IsMember(s->person, recipient));
        if (reached) Queue(*s, msg);
    }
}

} // namespace miravod
