#include "core/base/LocalePort.h"

#include <gtest/gtest.h>

#include "core/wire/DateTime.h"
#include "support/FakeLocale.h"

namespace pellar {
namespace {

TEST(LocalePort, ThePlainLocaleWritesIsoDatesAndFoldsOnlyAsciiCase)
{
    const LocalePort& plain = PlainLocalePort();
    EXPECT_EQ(plain.FormatDateTime(CalendarTime{2024, 3, 7, 8, 5, 9}), "2024-03-07 08:05:09");
    EXPECT_EQ(plain.CompareNames("Anna", "anna"), 0);
    EXPECT_LT(plain.CompareNames("anna", "Bertil"), 0);
    EXPECT_GT(plain.CompareNames("Carl", "bertil"), 0);
    EXPECT_LT(plain.CompareNames("Ann", "anna"), 0);
    EXPECT_GT(plain.CompareNames("anna", "Ann"), 0);
    // Bytes beyond ASCII are compared as they are, unsigned.
    EXPECT_NE(plain.CompareNames("\xC5sa", "\xE5sa"), 0);
    EXPECT_GT(plain.CompareNames("\xC4rger", "bertil"), 0);
}

TEST(LocalePort, DatesReachThePortAsTheirCalendarFields)
{
    const TDateTime t = EncodeDateTime(2024, 3, 7, 8, 5, 9);
    const CalendarTime c = ToCalendarTime(t);
    EXPECT_EQ(c.year, 2024);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 7);
    EXPECT_EQ(c.hour, 8);
    EXPECT_EQ(c.minute, 5);
    EXPECT_EQ(c.second, 9);
    const test::FakeLocale fake;
    EXPECT_EQ(FormatDateTime(t, fake), "7.3.2024 8:05:09");
    EXPECT_EQ(FormatDateTime(t, PlainLocalePort()), "2024-03-07 08:05:09");
    // The form for logs and tests does not follow any locale.
    EXPECT_EQ(FormatDateTime(t), "2024-03-07 08:05:09");
}

} // namespace
} // namespace pellar
