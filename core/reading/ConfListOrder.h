// The order of the reading window's conference list: by number, name,
// priority (highest first) or unread count, optionally inverted. The
// read-next worker takes conferences in this order, so it is kept apart from
// the widget and tested on its own.
#pragma once

#include <cstdint>
#include <string>

namespace pellar {

struct ConfListRow {
    int32_t conf = 0;
    std::string name;
    int32_t priority = 0;
    int32_t unread = 0;
};

class ConfListOrder {
public:
    enum Column { Number = 0, Name = 1, Priority = 2, Unread = 3 };

    // Priority first, highest on top.
    int SortColumn() const { return column_; }
    bool Descending() const { return descending_; }

    // A click on a column header: the same column again inverts the order,
    // another column sorts by it in its natural order.
    void HeaderClicked(int column);

    // True when a goes above b. Names compare with the locale's collation,
    // passed in so the rule needs no toolkit.
    template <typename Collate>
    bool Before(const ConfListRow& a, const ConfListRow& b, Collate&& collate) const
    {
        int c = 0;
        switch (column_) {
        case Number: c = Compare(a.conf, b.conf); break;
        case Name: c = collate(a.name, b.name); break;
        case Priority: c = Compare(b.priority, a.priority); break;
        default: c = Compare(a.unread, b.unread); break;
        }
        if (descending_)
            c = -c;
        return c < 0;
    }

private:
    static int Compare(int32_t a, int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

    int column_ = Priority;
    bool descending_ = false;
};

} // namespace pellar
