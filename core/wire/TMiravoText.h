// The body of one text: its number and contents (CR LF line breaks), the
// first line being the subject. Held by std::shared_ptr; immutable once made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellar {

class TMiravoText
{
public:
    TMiravoText() = default;
    TMiravoText(int32_t textNo, std::string contents) : textNo_(textNo), contents_(std::move(contents)) {}

    int32_t TextNo() const { return textNo_; }
    const std::string& Contents() const { return contents_; }

    // Up to the first LF, one trailing CR removed; empty without an LF.
    std::string Subject() const;
    // Everything after the first LF; empty without an LF.
    std::string Body() const;

    // Orders texts by number, for TSortedList.
    int Compare(const TMiravoText& other) const;

private:
    int32_t textNo_ = 0;
    std::string contents_;
};

} // namespace pellar
