#include "core/wire/RequestCatalogue.h"

#include "core/wire/ProtocolContext.h"
#include "core/wire/WireTokens.h"

namespace pellar {

WireRequest::WireRequest(Key, RequestNumber number, std::initializer_list<RequestArg> args) : number_(number)
{
    args_.reserve(args.size());
    for (const RequestArg& arg : args)
        args_.push_back(arg.Text());
}

std::string WireRequest::ArgText() const
{
    std::string text;
    for (const std::string& arg : args_) {
        text += ' ';
        text += arg;
    }
    return text;
}

std::string WireRequest::Line(int32_t id) const
{
    return std::to_string(id) + ' ' + std::to_string(static_cast<int32_t>(number_)) + ArgText() + '\n';
}

std::vector<AsyncNumber> AcceptedAsyncList(int32_t protocolVersion, bool presenceReports)
{
    using enum AsyncNumber;
    std::vector<AsyncNumber> list = protocolVersion < kNewerProtocolVersion
        ? std::vector<AsyncNumber>{NewName, SyncDatabase, LeaveConference, Login, RejectedConnection, SendMessage,
                                   Logout, NewTextOld}
        : std::vector<AsyncNumber>{NewName, SyncDatabase, LeaveConference, Login, RejectedConnection, SendMessage,
                                   Logout, DeletedText, NewText, NewRecipient, SubRecipient};
    if (presenceReports)
        list.push_back(IAmOn);
    return list;
}

// The one maker of the builders' key.
struct CatalogueKeys {
    static constexpr WireRequest::Key Make() { return {}; }
};

namespace requests {

namespace {

constexpr WireRequest::Key kKey = CatalogueKeys::Make();

RequestArg Flag(bool on) { return on ? 1 : 0; }

// "n { a b ... }": the array form every list argument takes.
std::vector<std::string> WithArray(std::vector<std::string> head, std::span<const int32_t> items)
{
    head.push_back(std::to_string(items.size()));
    head.push_back("{");
    for (int32_t item : items)
        head.push_back(std::to_string(item));
    head.push_back("}");
    return head;
}

} // namespace

WireRequest Logout() { return {kKey, RequestNumber::Logout}; }
WireRequest ChangeConference(int32_t conf) { return {kKey, RequestNumber::ChangeConference, {conf}}; }
WireRequest ChangeName(int32_t number, std::string_view newName)
{
    return {kKey, RequestNumber::ChangeName, {number, EncodeHollerith(newName)}};
}
WireRequest ChangeActivity(std::string_view activity)
{
    return {kKey, RequestNumber::ChangeActivity, {EncodeHollerith(activity)}};
}
WireRequest CreatePerson(std::string_view name, std::string_view password)
{
    return {kKey, RequestNumber::CreatePerson, {EncodeHollerith(name), EncodeHollerith(password)}};
}
WireRequest SetPassword(int32_t person, std::string_view oldPassword, std::string_view newPassword)
{
    return {kKey, RequestNumber::SetPassword, {person, EncodeHollerith(oldPassword), EncodeHollerith(newPassword)}};
}
WireRequest QueryReadTexts(int32_t person, int32_t conf) { return {kKey, RequestNumber::QueryReadTexts, {person, conf}}; }
WireRequest CreateConference(std::string_view name, std::string_view typeBits)
{
    return {kKey, RequestNumber::CreateConference, {EncodeHollerith(name), typeBits}};
}
WireRequest DeleteConference(int32_t number) { return {kKey, RequestNumber::DeleteConference, {number}}; }
WireRequest AddMember(int32_t conf, int32_t person, int32_t priority, int32_t where)
{
    return {kKey, RequestNumber::AddMember, {conf, person, priority, where}};
}
WireRequest SubMember(int32_t conf, int32_t person) { return {kKey, RequestNumber::SubMember, {conf, person}}; }
WireRequest SetPresentation(int32_t number, int32_t text) { return {kKey, RequestNumber::SetPresentation, {number, text}}; }
WireRequest SetNotice(int32_t number, int32_t text) { return {kKey, RequestNumber::SetNotice, {number, text}}; }
WireRequest SetSupervisor(int32_t conf, int32_t supervisor)
{
    return {kKey, RequestNumber::SetSupervisor, {conf, supervisor}};
}
WireRequest SetSuperConference(int32_t conf, int32_t superConf)
{
    return {kKey, RequestNumber::SetSuperConference, {conf, superConf}};
}
WireRequest SetConferenceType(int32_t conf, std::string_view typeBits)
{
    return {kKey, RequestNumber::SetConferenceType, {conf, typeBits}};
}
WireRequest GetMarks() { return {kKey, RequestNumber::GetMarks}; }
WireRequest GetText(int32_t text, int32_t firstChar, int32_t lastChar)
{
    return {kKey, RequestNumber::GetText, {text, firstChar, lastChar}};
}
WireRequest GetTextStatOld(int32_t text) { return {kKey, RequestNumber::GetTextStatOld, {text}}; }
WireRequest MarkAsRead(int32_t conf, std::span<const int32_t> locals)
{
    // Each number is followed by a blank, so the list closes after two: the
    // bytes this client has always sent here.
    std::string numbers;
    for (int32_t local : locals)
        numbers += std::to_string(local) + ' ';
    return {kKey, RequestNumber::MarkAsRead, {conf, static_cast<int32_t>(locals.size()), '{', numbers, '}'}};
}
WireRequest CreateTextOld(std::string_view text, std::string_view miscInfo)
{
    return {kKey, RequestNumber::CreateTextOld, {EncodeHollerith(text), miscInfo}};
}
WireRequest DeleteText(int32_t text) { return {kKey, RequestNumber::DeleteText, {text}}; }
WireRequest AddRecipient(int32_t text, int32_t conf, int32_t recipientType)
{
    return {kKey, RequestNumber::AddRecipient, {text, conf, recipientType}};
}
WireRequest SubRecipient(int32_t text, int32_t conf) { return {kKey, RequestNumber::SubRecipient, {text, conf}}; }
WireRequest AddComment(int32_t text, int32_t commentedText)
{
    return {kKey, RequestNumber::AddComment, {text, commentedText}};
}
WireRequest SubComment(int32_t text, int32_t commentedText)
{
    return {kKey, RequestNumber::SubComment, {text, commentedText}};
}
WireRequest GetTextMapOld(int32_t conf, int32_t firstLocal, int32_t count)
{
    return {kKey, RequestNumber::GetTextMapOld, {conf, firstLocal, count}};
}
WireRequest GetTime() { return {kKey, RequestNumber::GetTime}; }
WireRequest GetServerInfo() { return {kKey, RequestNumber::GetServerInfo}; }
WireRequest AddFootnote(int32_t text, int32_t footnotedText)
{
    return {kKey, RequestNumber::AddFootnote, {text, footnotedText}};
}
WireRequest SubFootnote(int32_t text, int32_t footnotedText)
{
    return {kKey, RequestNumber::SubFootnote, {text, footnotedText}};
}
WireRequest SetUnread(int32_t conf, int32_t count) { return {kKey, RequestNumber::SetUnread, {conf, count}}; }
WireRequest Enable(int32_t level) { return {kKey, RequestNumber::Enable, {level}}; }
WireRequest Sync() { return {kKey, RequestNumber::Sync}; }
WireRequest GetMemberships(int32_t person, int32_t first, int32_t count, bool wantReadTexts)
{
    return {kKey, RequestNumber::GetMemberships, {person, first, count, Flag(wantReadTexts)}};
}
WireRequest GetConfStat(int32_t conf) { return {kKey, RequestNumber::GetConfStat, {conf}}; }
WireRequest GetUnreadConfs(int32_t person) { return {kKey, RequestNumber::GetUnreadConfs, {person}}; }
WireRequest SendMessage(int32_t recipient, std::string_view message)
{
    return {kKey, RequestNumber::SendMessage, {recipient, EncodeHollerith(message)}};
}
WireRequest Login(int32_t person, std::string_view password, bool invisible)
{
    return {kKey, RequestNumber::Login, {person, EncodeHollerith(password), Flag(invisible)}};
}
WireRequest SetClientVersion(std::string_view name, std::string_view version)
{
    return {kKey, RequestNumber::SetClientVersion, {EncodeHollerith(name), EncodeHollerith(version)}};
}
WireRequest GetClientName(int32_t session) { return {kKey, RequestNumber::GetClientName, {session}}; }
WireRequest GetClientVersion(int32_t session) { return {kKey, RequestNumber::GetClientVersion, {session}}; }
WireRequest MarkText(int32_t text, int32_t markType) { return {kKey, RequestNumber::MarkText, {text, markType}}; }
WireRequest UnmarkText(int32_t text) { return {kKey, RequestNumber::UnmarkText, {text}}; }
WireRequest GetVersionInfo() { return {kKey, RequestNumber::GetVersionInfo}; }
WireRequest LookupName(std::string_view name, bool wantPersons, bool wantConferences)
{
    return {kKey, RequestNumber::LookupName, {EncodeHollerith(name), Flag(wantPersons), Flag(wantConferences)}};
}
WireRequest GetUConfStat(int32_t conf) { return {kKey, RequestNumber::GetUConfStat, {conf}}; }
WireRequest AcceptAsync(std::span<const AsyncNumber> messages)
{
    std::vector<int32_t> numbers;
    for (AsyncNumber m : messages)
        numbers.push_back(static_cast<int32_t>(m));
    return {kKey, RequestNumber::AcceptAsync, WithArray({}, numbers)};
}
WireRequest UserActive() { return {kKey, RequestNumber::UserActive}; }
WireRequest WhoIsOn(bool wantInvisible, int32_t activeLastSeconds, bool wantNames)
{
    return {kKey, RequestNumber::WhoIsOn, {Flag(wantInvisible), activeLastSeconds, Flag(wantNames)}};
}
WireRequest GetStaticSessionInfo(int32_t session) { return {kKey, RequestNumber::GetStaticSessionInfo, {session}}; }
WireRequest CreateText(std::string_view text, std::string_view miscInfo, std::string_view auxItems)
{
    return {kKey, RequestNumber::CreateText, {EncodeHollerith(text), miscInfo, auxItems}};
}
WireRequest GetTextStat(int32_t text) { return {kKey, RequestNumber::GetTextStat, {text}}; }
WireRequest AddAuxItem(int32_t text, int32_t tag, std::string_view flags, int32_t inheritLimit,
                       std::string_view data)
{
    return {kKey, RequestNumber::ModifyAuxInfo,
            {text, 0, '{', '}', 1, '{', tag, flags, inheritLimit, EncodeHollerith(data), '}'}};
}
WireRequest AddReceiptConfirmation(int32_t text)
{
    constexpr int32_t kReceiptConfirmationTag = 7;
    return AddAuxItem(text, kReceiptConfirmationTag, "00000000", 0, "");
}
WireRequest LocalToGlobal(int32_t conf, int32_t firstLocal, int32_t count)
{
    return {kKey, RequestNumber::LocalToGlobal, {conf, firstLocal, count}};
}

} // namespace requests

} // namespace pellar
