#include "core/wire/RecordParsers.h"

#include <algorithm>

#include "core/wire/MiravoErrors.h"
#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

// Room for at most one list element per two bytes left, so an announced
// count never reserves more than the line could hold.
size_t BoundedReserve(int32_t count, std::string_view line, size_t pos)
{
    const size_t left = pos < line.size() ? line.size() - pos : 0;
    return count <= 0 ? 0 : std::min<size_t>(static_cast<size_t>(count), left / 2 + 1);
}

TMiscInfoNormal& LastNormal(const std::vector<std::shared_ptr<TMiscInfo>>& items, int tag)
{
    auto* normal = items.empty() ? nullptr : dynamic_cast<TMiscInfoNormal*>(items.back().get());
    if (!normal)
        throw MiravoException("misc-info tag " + std::to_string(tag) + " does not follow a recipient");
    return *normal;
}

template <typename Item>
std::shared_ptr<Item> Append(std::vector<std::shared_ptr<TMiscInfo>>& items)
{
    auto item = std::make_shared<Item>();
    items.push_back(item);
    return item;
}

} // namespace

bool ParseTextStat(std::string_view line, size_t& pos, TextStatType& into)
{
    const TDateTime created = ReadTime(line, pos);
    const int32_t author = ReadInt(line, pos);
    const int32_t lines = ReadInt(line, pos);
    const int32_t chars = ReadInt(line, pos);
    const int32_t marks = ReadInt(line, pos);

    const int32_t count = ReadInt(line, pos);
    const bool star = ReadToken(line, pos).find('*') != std::string::npos;
    std::vector<std::shared_ptr<TMiscInfo>> items;
    int32_t i = 0;
    if (!star) {
        items.reserve(BoundedReserve(count, line, pos));
        for (; i < count && NextIsInt(line, pos); ++i) {
            const int32_t tag = ReadInt(line, pos);
            switch (tag) {
            case 0:
                Append<TMiscInfoRcpt>(items)->confNo = ReadInt(line, pos);
                break;
            case 1:
                Append<TMiscInfoCC>(items)->confNo = ReadInt(line, pos);
                break;
            case 2:
                Append<TMiscInfoCommTo>(items)->textNo = ReadInt(line, pos);
                break;
            case 3:
                Append<TMiscInfoCommIn>(items)->textNo = ReadInt(line, pos);
                break;
            case 4:
                Append<TMiscInfoFootTo>(items)->textNo = ReadInt(line, pos);
                break;
            case 5:
                Append<TMiscInfoFootIn>(items)->textNo = ReadInt(line, pos);
                break;
            case 6:
                LastNormal(items, tag).localNo = ReadInt(line, pos);
                break;
            case 7:
                LastNormal(items, tag).recvTime = ReadTime(line, pos);
                break;
            case 8: {
                const int32_t sentBy = ReadInt(line, pos);
                TMiscInfo* last = items.empty() ? nullptr : items.back().get();
                if (auto* normal = dynamic_cast<TMiscInfoNormal*>(last))
                    normal->sentBy = sentBy;
                else if (auto* commTo = dynamic_cast<TMiscInfoCommTo*>(last))
                    commTo->sentBy = sentBy;
                break;
            }
            case 9: {
                const TDateTime sentAt = ReadTime(line, pos);
                TMiscInfo* last = items.empty() ? nullptr : items.back().get();
                if (auto* normal = dynamic_cast<TMiscInfoNormal*>(last))
                    normal->sentAt = sentAt;
                else if (auto* mbx = dynamic_cast<TMiscInfoMbx*>(last))
                    mbx->sentAt = sentAt;
                break;
            }
            default:
                break; // an unknown tag carries nothing we can read
            }
        }
        ReadToken(line, pos); // "}"
    }
    std::lock_guard lock(into);
    into.SetHeader(created, author, lines, chars, marks);
    into.SetMiscInfos(std::move(items));
    return star || i >= count;
}

bool ParseAuxItemList(std::string_view line, size_t& pos, TextStatType& into)
{
    const int32_t count = ReadInt(line, pos);
    const bool star = ReadToken(line, pos).find('*') != std::string::npos;
    std::vector<AuxItemRec> items;
    int32_t i = 0;
    if (count != 0 && !star) {
        items.reserve(BoundedReserve(count, line, pos));
        for (; i < count && NextIsInt(line, pos); ++i) {
            AuxItemRec rec;
            rec.auxNo = ReadInt(line, pos);
            rec.tag = ReadInt(line, pos);
            rec.creator = ReadInt(line, pos);
            rec.createdAt = ReadTime(line, pos);
            rec.flags = ReadToken(line, pos);
            rec.inheritLimit = ReadInt(line, pos);
            rec.data = ReadHollerith(line, pos);
            items.push_back(std::move(rec));
        }
        ReadToken(line, pos); // "}"
    }
    into.SetAuxItems(std::move(items));
    return star || i >= count;
}

bool ParseMembership(std::string_view line, size_t& pos, TMiravoMembership& into)
{
    const TDateTime lastTimeRead = ReadTime(line, pos);
    const int32_t conf = ReadInt(line, pos);
    const int32_t priority = ReadInt(line, pos);
    const int32_t lastTextRead = ReadInt(line, pos);
    const int32_t count = ReadInt(line, pos);
    std::vector<int32_t> readTexts;
    int32_t i = 0;
    const bool star = ReadToken(line, pos) == "*";
    if (!star) {
        readTexts.reserve(BoundedReserve(count, line, pos));
        for (; i < count && NextIsInt(line, pos); ++i)
            readTexts.push_back(ReadInt(line, pos));
        ReadToken(line, pos); // "}"
    }
    std::lock_guard lock(into);
    into.SetLastTimeRead(lastTimeRead);
    into.SetConfNo(conf);
    into.SetPriority(priority);
    into.SetReadState(lastTextRead, readTexts);
    return star || i >= count;
}

bool ParseMembershipList(std::string_view line, size_t& pos, std::vector<std::shared_ptr<TMiravoMembership>>& into,
                         RecordServices* services)
{
    const int32_t count = ReadInt(line, pos);
    if (ReadToken(line, pos).find('*') != std::string::npos)
        return true;
    // A membership element starts with a time: nine integers at least.
    bool complete = true;
    int32_t i = 0;
    for (; i < count && NextIsInt(line, pos); ++i) {
        auto membership = std::make_shared<TMiravoMembership>(services);
        complete = ParseMembership(line, pos, *membership) && complete;
        into.push_back(std::move(membership));
    }
    return complete && i >= count;
}

void ParseConfStatFull(std::string_view line, size_t& pos, TMiravoConferenceBase& into)
{
    ConfStatFields f;
    f.name = ReadHollerith(line, pos);
    f.type = ReadToken(line, pos);
    f.creationTime = ReadTime(line, pos);
    f.lastTextTime = ReadTime(line, pos);
    f.personNo = ReadInt(line, pos);
    f.presentation = ReadInt(line, pos);
    f.supervisor = ReadInt(line, pos);
    f.otherConfNo = ReadInt(line, pos);
    f.superConf = ReadInt(line, pos);
    f.msgOfDay = ReadInt(line, pos);
    f.extra1 = ReadInt(line, pos);
    f.extra2 = ReadInt(line, pos);
    f.firstLocalNo = ReadInt(line, pos);
    f.noOfTexts = ReadInt(line, pos);
    into.StoreFullStatus(f);
}

void ParseConfStatShort(std::string_view line, size_t& pos, TMiravoConferenceBase& into)
{
    const std::string name = ReadHollerith(line, pos);
    const std::string type = ReadToken(line, pos);
    const int32_t highest = ReadInt(line, pos);
    const int32_t extra1 = ReadInt(line, pos);
    into.StoreShortStatus(name, type, highest, extra1);
}

} // namespace pellar
