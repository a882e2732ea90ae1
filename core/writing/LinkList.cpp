#include "core/writing/LinkList.h"

#include <algorithm>

namespace pellar {

namespace {

bool IsRecipientKind(LinkKind kind)
{
    return kind == LinkKind::Recipient || kind == LinkKind::CarbonCopy;
}

} // namespace

std::string_view LinkList::TypeText(LinkKind kind)
{
    switch (kind) {
    case LinkKind::Recipient: return "Recipient";
    case LinkKind::CarbonCopy: return "Carbon copy";
    case LinkKind::CommentTo: return "Comment to";
    case LinkKind::FootnoteTo: return "Footnote to";
    case LinkKind::PresentationFor: return "Presentation for";
    case LinkKind::MotdFor: return "Message of the day for";
    }
    return {};
}

bool LinkList::Duplicates(const LinkRow& row) const
{
    return std::any_of(rows_.begin(), rows_.end(), [&](const LinkRow& r) {
        if (r.number != row.number)
            return false;
        return r.kind == row.kind || (IsRecipientKind(r.kind) && IsRecipientKind(row.kind));
    });
}

bool LinkList::Add(LinkRow row)
{
    if (Duplicates(row))
        return false;
    const std::string_view type = TypeText(row.kind);
    // After every row whose type sorts before or equal to the new one.
    auto at = std::find_if(rows_.begin(), rows_.end(),
                           [&](const LinkRow& r) { return TypeText(r.kind) > type; });
    rows_.insert(at, std::move(row));
    return true;
}

bool LinkList::Remove(size_t index)
{
    if (index >= rows_.size())
        return false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool LinkList::Has(LinkKind kind) const
{
    return std::any_of(rows_.begin(), rows_.end(), [&](const LinkRow& r) { return r.kind == kind; });
}

std::vector<int32_t> LinkList::Numbers(LinkKind kind) const
{
    std::vector<int32_t> out;
    for (const auto& r : rows_)
        if (r.kind == kind)
            out.push_back(r.number);
    return out;
}

std::string LinkList::RowText(size_t index) const
{
    if (index >= rows_.size())
        return {};
    const LinkRow& r = rows_[index];
    return std::string(TypeText(r.kind)) + " " + std::to_string(r.number) + " " + r.name;
}

} // namespace pellar
