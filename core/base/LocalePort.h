// How core shows a date-time to the user and orders names the way the user
// reads them. Core knows no locale of its own: the GUI installs one that
// follows the user's settings (see ClientOptions::locale); without it the
// plain form below is used (ISO dates, ASCII letter case), which is also what
// tests and the server-free core see.
//
// Strings on both sides are in the wire encoding, like every name and text
// that core holds.
#pragma once

#include <string>
#include <string_view>

namespace pellar {

// A local date and time as the calendar has it (month 1..12, day 1..31).
struct CalendarTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class LocalePort {
public:
    virtual ~LocalePort() = default;
    // A date with its time, to the second, as the user writes them.
    virtual std::string FormatDateTime(const CalendarTime& t) const = 0;
    // Negative, 0 or positive as a sorts before, with or after b when letter
    // case is ignored.
    virtual int CompareNames(std::string_view a, std::string_view b) const = 0;
    // A fixed word or line core writes among server text, such as the
    // article's "Subject:" or "Marked by two persons", in the user's
    // language. Only core's own English goes in, never server text.
    virtual std::string Label(std::string_view english) const { return std::string(english); }
};

// "YYYY-MM-DD hh:mm:ss", and names compared byte by byte with ASCII letters
// folded to lower case.
class PlainLocale final : public LocalePort {
public:
    std::string FormatDateTime(const CalendarTime& t) const override;
    int CompareNames(std::string_view a, std::string_view b) const override;
};

// The one plain locale (it holds no state).
const LocalePort& PlainLocalePort();

} // namespace pellar
