// Which parts of a line of text are words to check for spelling: runs of
// letters (with inner apostrophes), leaving out quoted lines, web addresses,
// mail addresses and anything with a digit in it (text numbers such as
// "<123>", dates, versions). Works on UTF-16, so that the ranges are the
// positions the editors use.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace pellar {

struct SpellWordRange {
    size_t start = 0;
    size_t length = 0;
    bool operator==(const SpellWordRange&) const = default;
};

// A line whose first character other than blanks is ">": quoted from another
// text, so not the writer's spelling.
bool IsQuotedLine(std::u16string_view line);

// The words of one line to check, in order.
std::vector<SpellWordRange> SpellWords(std::u16string_view line);

// The word that covers position (a caret or a click inside or just after
// it); none when there is no word to check there.
bool SpellWordAt(std::u16string_view line, size_t position, SpellWordRange* found);

} // namespace pellar
