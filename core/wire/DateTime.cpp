#include "core/wire/DateTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace pellar {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 1899-12-30 relative to 1970-01-01.
constexpr int64_t kEpochOffset = -25569;

} // namespace

bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, TDateTime& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59)
        return false;
    const int64_t days = DaysFromCivil(year, month, day) - kEpochOffset;
    const double fraction = (hour * 3600.0 + min * 60.0 + sec) / 86400.0;
    // Before the epoch the whole part counts backwards and the fraction still
    // counts forwards from midnight.
    out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec)
{
    TDateTime t;
    if (!TryEncodeDateTime(year, month, day, hour, min, sec, t))
        throw std::out_of_range("invalid date or time");
    return t;
}

DateTimeParts DecodeDateTime(TDateTime t)
{
    DateTimeParts p;
    if (!std::isfinite(t) || t < -693593.0 || t > 2958466.0)
        t = 0;
    double whole = std::trunc(t);
    int64_t ms = std::llround(std::fabs(t - whole) * kMsPerDay);
    int64_t days = static_cast<int64_t>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += t >= 0 ? 1 : -1;
    }
    CivilFromDays(days + kEpochOffset, p.year, p.month, p.day);
    const int64_t secs = ms / 1000;
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    // 1899-12-30 was a Saturday.
    p.weekday = static_cast<int>(((days + 6) % 7 + 7) % 7);
    p.yearDay = static_cast<int>(DaysFromCivil(p.year, p.month, p.day) - DaysFromCivil(p.year, 1, 1));
    return p;
}

TDateTime NowLocal()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec > 59 ? 59 : tm.tm_sec);
}

CalendarTime ToCalendarTime(TDateTime t)
{
    const DateTimeParts p = DecodeDateTime(t);
    return CalendarTime{p.year, p.month, p.day, p.hour, p.minute, p.second};
}

std::string FormatDateTime(TDateTime t)
{
    return PlainLocalePort().FormatDateTime(ToCalendarTime(t));
}

std::string FormatDateTime(TDateTime t, const LocalePort& locale)
{
    return locale.FormatDateTime(ToCalendarTime(t));
}

} // namespace pellar
