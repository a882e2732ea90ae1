#include "core/link/MVRequests.h"

#include <algorithm>

#include "core/wire/MiravoErrors.h"
#include "core/wire/RecordParsers.h"
#include "core/wire/TMiravoConferenceBase.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TextStatType.h"
#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

// True at the end of the line or of the array ("}"): a count from the server
// never makes a list read past the elements that arrived.
bool AtEnd(std::string_view line, size_t pos)
{
    const size_t next = line.find_first_not_of(' ', pos);
    return next == std::string_view::npos || line[next] == '}';
}

// Count, then "{" or "*"; false when no elements follow. Anything else is
// not an array, and fails the reply.
bool ReadArrayStart(std::string_view line, size_t& pos, int32_t& count)
{
    const bool numbered = NextIsInt(line, pos);
    count = ReadInt(line, pos);
    const std::string open = ReadToken(line, pos);
    if (!numbered || count < 0 || (open != "{" && open.find('*') == std::string::npos))
        throw MiravoException("no array where the reply needs one");
    return open.find('*') == std::string::npos;
}

// A list that ends before its count is a reply cut short or garbled: it
// fails rather than pass for a shorter answer.
void CheckComplete(int32_t read, int32_t count)
{
    if (read < count)
        throw MiravoException("a list of " + std::to_string(count) + " ended after " + std::to_string(read));
}

} // namespace

// ---------------------------------------------------------------- names

TNumberFromNameTrans::TNumberFromNameTrans(ProtocolContext& context, std::string_view name, bool wantPersons,
                                           bool wantConferences)
    : TMiravoTransaction(context),
      name_(name),
      wantPersons_(wantPersons),
      wantConferences_(wantConferences)
{
}

void TNumberFromNameTrans::Transmit()
{
    SendRequest(requests::LookupName(name_, wantPersons_, wantConferences_));
}

void TNumberFromNameTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    int32_t count = 0;
    if (!ReadArrayStart(line, pos, count))
        return;
    int32_t i = 0;
    for (; i < count && !AtEnd(line, pos); ++i) {
        NameMatchRec rec;
        rec.name = ReadHollerith(line, pos);
        rec.type = ReadToken(line, pos);
        if (!NextIsInt(line, pos))
            break;
        rec.number = ReadInt(line, pos);
        results_.push_back(std::move(rec));
    }
    CheckComplete(i, count);
}

TNameFromNumberTrans::TNameFromNumberTrans(ProtocolContext& context, int32_t number, std::string unknownLabel)
    : TMiravoTransaction(context), number_(number), unknownLabel_(std::move(unknownLabel))
{
    SetShowErrors(false);
}

void TNameFromNumberTrans::Transmit()
{
    SendRequest(requests::GetUConfStat(number_));
}

void TNameFromNumberTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    name_ = ReadHollerith(line, pos);
}

void TNameFromNumberTrans::ParseError()
{
    TMiravoTransaction::ParseError();
    name_ = unknownLabel_;
}

TCacheNameFromNumberTrans::TCacheNameFromNumberTrans(ProtocolContext& context, int32_t number, Store store)
    : TMiravoTransaction(context), number_(number), store_(std::move(store))
{
    SetShowErrors(false);
}

void TCacheNameFromNumberTrans::Transmit()
{
    SendRequest(requests::GetUConfStat(number_));
}

void TCacheNameFromNumberTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    std::string name = ReadHollerith(line, pos);
    if (store_)
        store_(number_, std::move(name));
}

void TCacheNameFromNumberTrans::ParseError()
{
    TMiravoTransaction::ParseError();
    if (store_)
        store_(number_, "*error*");
}

// ---------------------------------------------------------------- logon and memberships

TLogonTrans::TLogonTrans(ProtocolContext& context, int32_t person, std::string password, bool invisible)
    : TMiravoTransaction(context), person_(person), password_(std::move(password)), invisible_(invisible)
{
}

void TLogonTrans::Transmit()
{
    SendRequest(requests::Login(person_, password_, invisible_));
}

void TLogonTrans::ParseReply()
{
    ReadLine();
    result_ = 0;
}

TGetMembershipTrans::TGetMembershipTrans(ProtocolContext& context, int32_t person,
                                         std::vector<std::shared_ptr<TMiravoMembership>>& target,
                                         RecordServices* services)
    : TMiravoTransaction(context), person_(person), target_(target), services_(services)
{
}

void TGetMembershipTrans::Transmit()
{
    SendRequest(requests::GetMemberships(person_, 0, 65535, true));
}

void TGetMembershipTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    if (!ParseMembershipList(line, pos, target_, services_))
        throw MiravoException("a membership list cut short");
}

TQueryReadTextsTrans::TQueryReadTextsTrans(ProtocolContext& context, TMiravoMembership& target, int32_t person,
                                           int32_t conf)
    : TMiravoTransaction(context), person_(person), conf_(conf), target_(target)
{
}

void TQueryReadTextsTrans::Transmit()
{
    SendRequest(requests::QueryReadTexts(person_, conf_));
}

void TQueryReadTextsTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    if (!ParseMembership(line, pos, target_))
        throw MiravoException("a read-text list cut short");
}

// ---------------------------------------------------------------- conferences

TGetConfStatTrans::TGetConfStatTrans(ProtocolContext& context, TMiravoConferenceBase& target, int32_t conf)
    : TMiravoTransaction(context), target_(target), conf_(conf)
{
}

void TGetConfStatTrans::Transmit()
{
    SendRequest(requests::GetConfStat(conf_));
}

void TGetConfStatTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    ParseConfStatFull(line, pos, target_);
}

TGetUConfStatTrans::TGetUConfStatTrans(ProtocolContext& context, TMiravoConferenceBase& target, int32_t conf)
    : TMiravoTransaction(context), target_(target), conf_(conf)
{
}

void TGetUConfStatTrans::Transmit()
{
    SendRequest(requests::GetUConfStat(conf_));
}

void TGetUConfStatTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    ParseConfStatShort(line, pos, target_);
}

TGetUnreadConfs::TGetUnreadConfs(ProtocolContext& context, std::vector<int32_t>& target, int32_t person)
    : TMiravoTransaction(context), target_(target), person_(person)
{
}

void TGetUnreadConfs::Transmit()
{
    SendRequest(requests::GetUnreadConfs(person_));
}

void TGetUnreadConfs::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    int32_t count = 0;
    if (!ReadArrayStart(line, pos, count))
        return;
    int32_t i = 0;
    for (; i < count && NextIsInt(line, pos); ++i)
        target_.push_back(ReadInt(line, pos));
    CheckComplete(i, count);
}

// ---------------------------------------------------------------- text map

TGetTextMap::TGetTextMap(ProtocolContext& context, TSortedIntegerList<int32_t>& target, int32_t conf,
                         int32_t firstLocal, int32_t count)
    : TMiravoTransaction(context),
      conf_(conf),
      firstLocal_(firstLocal),
      count_(count),
      target_(target),
      newerForm_(context.UseNewerForms())
{
}

void TGetTextMap::Transmit()
{
    SendRequest(newerForm_ ? requests::LocalToGlobal(conf_, firstLocal_, count_)
                           : requests::GetTextMapOld(conf_, firstLocal_, count_));
}

void TGetTextMap::Put(int32_t local, int32_t global)
{
    const int index = target_.Add(local);
    if (index >= 0)
        target_.SetObject(index, global);
}

void TGetTextMap::ParseDense(std::string_view line, size_t& pos)
{
    const int64_t blockFirst = ReadInt(line, pos);
    const int32_t count = ReadInt(line, pos);
    const bool hasElements = ReadToken(line, pos).find('*') == std::string::npos;
    // Locals asked for below the block have no text; the zeros stay inside
    // the requested range, whatever the server claims.
    const int64_t windowEnd = static_cast<int64_t>(firstLocal_) + std::max(count_, 0);
    for (int64_t local = firstLocal_; local < std::min(blockFirst, windowEnd); ++local)
        Put(static_cast<int32_t>(local), 0);
    if (!hasElements)
        return;
    int32_t i = 0;
    for (; i < count && NextIsInt(line, pos); ++i) {
        const int32_t global = ReadInt(line, pos);
        const int64_t local = blockFirst + i;
        if (local > INT32_MAX)
            break;
        Put(static_cast<int32_t>(local), global);
    }
    CheckComplete(i, count);
}

void TGetTextMap::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    if (!newerForm_) {
        ParseDense(line, pos);
        return;
    }
    const int32_t rangeBegin = ReadInt(line, pos);
    const int32_t rangeEnd = ReadInt(line, pos);
    ReadInt(line, pos); // a further flag, not used
    const int32_t blockKind = ReadInt(line, pos);
    if (blockKind != 0) {
        ParseDense(line, pos);
        return;
    }
    const int64_t windowBegin = firstLocal_;
    const int64_t windowEnd = windowBegin + std::max(count_, 0);
    auto zeroFill = [&](int64_t from, int64_t to) {
        for (int64_t local = std::max(from, windowBegin); local < std::min(to, windowEnd); ++local)
            Put(static_cast<int32_t>(local), 0);
    };
    int32_t pairs = 0;
    int64_t next = rangeBegin;
    if (ReadArrayStart(line, pos, pairs)) {
        int32_t i = 0;
        for (; i < pairs && NextIsInt(line, pos); ++i) {
            const int32_t local = ReadInt(line, pos);
            const int32_t global = ReadInt(line, pos);
            zeroFill(next, local);
            Put(local, global);
            next = static_cast<int64_t>(local) + 1;
        }
        CheckComplete(i, pairs);
    }
    zeroFill(next, rangeEnd);
}

// ---------------------------------------------------------------- texts

TGetTextStatTrans::TGetTextStatTrans(ProtocolContext& context, int32_t text, TextStatType& target)
    : TMiravoTransaction(context), text_(text), target_(target), newerForm_(context.UseNewerForms())
{
    SetShowErrors(false);
}

void TGetTextStatTrans::Transmit()
{
    SendRequest(newerForm_ ? requests::GetTextStat(text_) : requests::GetTextStatOld(text_));
}

void TGetTextStatTrans::ParseReply()
{
    const std::string line = ReadLine();
    size_t pos = 0;
    bool complete = ParseTextStat(line, pos, target_);
    if (newerForm_)
        complete = ParseAuxItemList(line, pos, target_) && complete;
    if (!complete)
        throw MiravoException("a text status cut short");
}

TGetTextTrans::TGetTextTrans(ProtocolContext& context, int32_t text) : TGetTextTrans(context, text, 65536)
{
}

TGetTextTrans::TGetTextTrans(ProtocolContext& context, int32_t text, int32_t bytes)
    : TMiravoTransaction(context), text_(text), lastChar_(std::max(bytes, 1) - 1)
{
    SetShowErrors(false);
}

void TGetTextTrans::Transmit()
{
    SendRequest(requests::GetText(text_, 0, lastChar_));
}

void TGetTextTrans::ParseReply()
{
    // The body may hold line feeds: it is read line by line until its byte
    // count is used up, and only as far as bytes actually arrive.
    const std::string countText = Queue().ReadUntil("H\n");
    contents_.clear();
    whole_ = false;
    lineBreaks_ = 0;
    if (Queue().ReadChar() != 'H')
        return; // no body at all: the line has ended
    int64_t remaining = 0;
    for (char c : countText) {
        if (c >= '0' && c <= '9')
            remaining = std::min<int64_t>(remaining * 10 + (c - '0'), INT32_MAX);
        else if (c != ' ')
            break;
    }
    if (remaining > static_cast<int64_t>(kLongestServerText)) {
        // Not waited for: the replies behind it would be taken as its body.
        Queue().SkipUntil("\n");
        Queue().ReadChar();
        throw MiravoException("a text body of " + std::to_string(remaining) + " bytes announced");
    }
    whole_ = remaining <= lastChar_;
    while (remaining > 0) {
        std::string piece = Queue().ReadUntil("\n");
        Queue().ReadChar();
        remaining -= static_cast<int64_t>(piece.size()) + 1;
        // Only a break inside the body counts: the last piece ends at the
        // reply's own line end.
        if (remaining >= 0)
            ++lineBreaks_;
        contents_ += piece;
        contents_ += "\r\n";
    }
}

} // namespace pellar
