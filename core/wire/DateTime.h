// Date-times as the protocol and the windows hold them: a double counting days
// since 1899-12-30, the fraction being the time of day, in local time.
#pragma once

#include <string>

#include "core/base/LocalePort.h"

namespace pellar {

using TDateTime = double;

struct DateTimeParts {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 = Sunday
    int yearDay = 0; // 0-based
};

// False when the fields do not form a valid date (years 1..9999) and time.
bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, TDateTime& out);
// Throws std::out_of_range for fields that TryEncodeDateTime rejects.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec);
DateTimeParts DecodeDateTime(TDateTime t);
TDateTime NowLocal();
// "YYYY-MM-DD HH:MM:SS" whatever the user's locale: for logs and tests.
std::string FormatDateTime(TDateTime t);
// As the user reads dates: what a window shows.
std::string FormatDateTime(TDateTime t, const LocalePort& locale);
CalendarTime ToCalendarTime(TDateTime t);

} // namespace pellar
