// The writing window's link list: one row per recipient, carbon copy,
// comment or footnote link, presentation or message-of-the-day target, kept
// sorted by its Type text (rows of one kind together, in the order added).
// It is the one source the create request is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

enum class LinkKind { Recipient, CarbonCopy, CommentTo, FootnoteTo, PresentationFor, MotdFor };

struct LinkRow {
    LinkKind kind = LinkKind::Recipient;
    int32_t number = 0;
    std::string name;

    bool operator==(const LinkRow&) const = default;
};

class LinkList {
public:
    // The "Type" column: "Recipient", "Carbon copy", "Comment to", ...
    static std::string_view TypeText(LinkKind kind);

    // False (and nothing added) when the row would repeat a recipient of
    // either kind or a link already there: the server refuses a text that
    // names the same recipient or parent twice.
    bool Add(LinkRow row);
    bool Remove(size_t index);
    void Clear() { rows_.clear(); }

    const std::vector<LinkRow>& Rows() const { return rows_; }
    bool Has(LinkKind kind) const;
    std::vector<int32_t> Numbers(LinkKind kind) const;

    // "%s %s %s" of Type, "#" and Name, for the clipboard.
    std::string RowText(size_t index) const;

private:
    bool Duplicates(const LinkRow& row) const;

    std::vector<LinkRow> rows_;
};

} // namespace pellar
