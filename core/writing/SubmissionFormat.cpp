#include "core/writing/SubmissionFormat.h"

#include "core/wire/WireTokens.h"
#include "core/base/ProgramVersion.h"
#include "core/writing/LinkList.h"

namespace pellar {

namespace {

int MiscTag(LinkKind kind)
{
    switch (kind) {
    case LinkKind::Recipient: return 0;
    case LinkKind::CarbonCopy: return 1;
    case LinkKind::CommentTo: return 2;
    case LinkKind::FootnoteTo: return 4;
    default: return -1;
    }
}

std::string AuxItem(int tag, std::string_view data)
{
    return std::to_string(tag) + " 00000000 0 " + EncodeHollerith(data);
}

} // namespace

std::optional<std::string> SubmissionFormat::MiscInfoList(const LinkList& rows)
{
    std::string items;
    int pairs = 0;
    for (const auto& row : rows.Rows()) {
        const int tag = MiscTag(row.kind);
        if (tag < 0)
            continue;
        if (++pairs > kMaxMiscPairs)
            return std::nullopt;
        if (!items.empty())
            items += ' ';
        items += std::to_string(tag) + " " + std::to_string(row.number);
    }
    return std::to_string(pairs) + " { " + items + " }";
}

std::string SubmissionFormat::ClientItemData()
{
    return "Pellar " + ProgramMajorVersion() + "." + ProgramMinorVersion();
}

std::string SubmissionFormat::AuxItemList(const AuxChecks& checks)
{
    std::string items = AuxItem(15, ClientItemData());
    int count = 1;
    for (const auto& [on, tag] : {std::pair{checks.readConfirmation, 6}, std::pair{checks.noComments, 4},
                                  std::pair{checks.personalComments, 5}}) {
        if (!on)
            continue;
        items += " " + AuxItem(tag, "");
        ++count;
    }
    return std::to_string(count) + " { " + items + " }";
}

std::string SubmissionFormat::BuildText(std::string_view subject, std::string_view body)
{
    std::string text;
    text.reserve(subject.size() + body.size() + 1);
    for (std::string_view part : {subject, std::string_view("\n"), body})
        for (char c : part)
            if (c != '\r')
                text += c;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

int32_t SubmissionFormat::NewTextNumber(std::string_view replyLine)
{
    size_t pos = 0;
    if (!NextIsInt(replyLine, pos))
        return 0;
    return ReadInt(replyLine, pos);
}

} // namespace pellar
