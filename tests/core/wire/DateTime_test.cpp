#include "core/wire/DateTime.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(DateTime, EpochAndKnownDays)
{
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1, 0, 0, 0), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 0, 0, 0), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0), 36526.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
}

TEST(DateTime, RejectsInvalidFields)
{
    TDateTime t = 7;
    EXPECT_FALSE(TryEncodeDateTime(1999, 2, 29, 0, 0, 0, t));
    EXPECT_TRUE(TryEncodeDateTime(2000, 2, 29, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(1900, 2, 29, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 13, 1, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 0, 1, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 4, 31, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 1, 1, 24, 0, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 1, 1, 0, 60, 0, t));
    EXPECT_FALSE(TryEncodeDateTime(2000, 1, 1, 0, 0, -1, t));
    EXPECT_FALSE(TryEncodeDateTime(0, 1, 1, 0, 0, 0, t));
    EXPECT_THROW(EncodeDateTime(2001, 2, 29, 0, 0, 0), std::out_of_range);
}

TEST(DateTime, DecodeRoundTrips)
{
    for (int year : {1601, 1899, 1900, 1970, 1999, 2000, 2024, 2100}) {
        for (int month : {1, 2, 6, 12}) {
            const TDateTime t = EncodeDateTime(year, month, 28, 23, 59, 59);
            const DateTimeParts p = DecodeDateTime(t);
            EXPECT_EQ(p.year, year);
            EXPECT_EQ(p.month, month);
            EXPECT_EQ(p.day, 28);
            EXPECT_EQ(p.hour, 23);
            EXPECT_EQ(p.minute, 59);
            EXPECT_EQ(p.second, 59) << year << "-" << month;
        }
    }
}

TEST(DateTime, WeekdayAndYearDay)
{
    const DateTimeParts p = DecodeDateTime(EncodeDateTime(1999, 12, 5, 14, 30, 12));
    EXPECT_EQ(p.weekday, 0); // a Sunday
    EXPECT_EQ(p.yearDay, 338);
    const DateTimeParts q = DecodeDateTime(EncodeDateTime(2000, 12, 31, 0, 0, 0));
    EXPECT_EQ(q.weekday, 0);
    EXPECT_EQ(q.yearDay, 365);
    EXPECT_EQ(DecodeDateTime(0).weekday, 6); // 1899-12-30 was a Saturday
}

TEST(DateTime, Format)
{
    EXPECT_EQ(FormatDateTime(EncodeDateTime(2024, 3, 7, 8, 5, 9)), "2024-03-07 08:05:09");
    // Not a valid date-time value at all: formats something, does not crash.
    EXPECT_EQ(FormatDateTime(1e300).size(), 19u);
}

TEST(DateTime, NowIsAfterThisCodeWasWritten)
{
    EXPECT_GT(NowLocal(), EncodeDateTime(2024, 1, 1, 0, 0, 0));
}

} // namespace
} // namespace pellar
