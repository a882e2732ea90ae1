#include "core/wire/WireTokens.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

// Reads each case's line from its start: the value, and where the cursor ends.
template <typename Case, typename Read>
void ExpectReads(const std::vector<Case>& cases, Read read)
{
    for (const auto& c : cases) {
        size_t pos = c.start;
        EXPECT_EQ(read(c.line, pos), c.value) << c.name;
        EXPECT_EQ(pos, c.end) << c.name;
    }
}

struct IntCase {
    const char* name;
    std::string line;
    size_t start;
    int32_t value;
    size_t end;
};

TEST(WireTokens, ReadInt)
{
    const std::vector<IntCase> cases = {
        {"plain", "4711", 0, 4711, 4},
        {"blanks then negative, stops on blank", "  -12 a", 0, -12, 5},
        {"letters", "abc", 0, 0, 0},
        {"empty", "", 0, 0, 0},
        {"only blanks", "   ", 0, 0, 3},
        {"stops at letter", "12H", 0, 12, 2},
        {"from the middle", "1 2 3", 1, 2, 3},
        {"minus inside shifts and marks", "1-2", 0, -102, 3},
        {"lone minus", "- 5", 0, 0, 1},
        {"int max", "2147483647", 0, 2147483647, 10},
        {"int min", "-2147483648", 0, INT32_MIN, 11},
        {"too big saturates", "99999999999999999999", 0, INT32_MAX, 20},
        {"too small saturates", "-99999999999999999999", 0, INT32_MIN, 21},
        {"cursor past end", "12", 5, 0, 2},
    };
    ExpectReads(cases, ReadInt);
}

struct StringCase {
    const char* name;
    std::string line;
    size_t start;
    std::string value;
    size_t end;
};

TEST(WireTokens, ReadToken)
{
    const std::vector<StringCase> cases = {
        {"open brace", "{ 1 2", 0, "{", 2},
        {"star at end", "*", 0, "*", 1},
        {"blanks first", "   00000000 3", 0, "00000000", 12},
        {"rest of line", "  abc", 0, "abc", 5},
        {"empty", "", 0, "", 0},
        {"two blanks after", "a  b", 0, "a", 2},
    };
    ExpectReads(cases, ReadToken);
}

TEST(WireTokens, ReadHollerith)
{
    const std::vector<StringCase> cases = {
        {"plain", "5HHello", 0, "Hello", 7},
        {"blank, zero length", " 0Hmore", 0, "", 3},
        {"three bytes then letters", "3Habcdef", 0, "abc", 5},
        {"contains blanks and H", "7Ha H b H tail", 0, "a H b H", 9},
        {"contains LF", std::string("3Ha\nb x"), 0, std::string("a\nb"), 5},
        {"no H: rest from the start, blanks too", "  just text", 0, "  just text", 11},
        {"length beyond the line is clipped", "10Habc", 0, "abc", 6},
        {"huge length is clipped", "99999999999999999999999Hab", 0, "ab", 26},
        {"non-digit count reads as garbage but stays in the line", "-1Habc", 0, "", 3},
        {"after other tokens", "12 4Hname 9", 2, "name", 9},
        {"nothing left", "", 0, "", 0},
    };
    ExpectReads(cases, ReadHollerith);
}

struct TimeCase {
    const char* name;
    std::string line;
    int year, month, day, hour, minute, second;
};

TEST(WireTokens, ReadTime)
{
    const std::vector<TimeCase> cases = {
        {"ordinary", "12 30 14 5 11 99 0 338 0", 1999, 12, 5, 14, 30, 12},
        {"day 32 of December 1999 is New Year", "0 0 0 32 11 99 5 365 0", 2000, 1, 1, 0, 0, 0},
        {"day 33 of December 1999", "5 4 3 33 11 99 5 365 0", 2000, 1, 2, 3, 4, 5},
        {"day 32 of December 1998 is invalid", "0 0 0 32 11 98 5 365 0", 1990, 1, 1, 1, 0, 0},
        {"new century", "59 59 23 31 11 124 2 365 0", 2024, 12, 31, 23, 59, 59},
        {"bad month", "0 0 0 1 12 99 0 0 0", 1990, 1, 1, 1, 0, 0},
        {"bad hour", "0 0 24 1 0 99 0 0 0", 1990, 1, 1, 1, 0, 0},
        {"huge year", "0 0 0 1 0 2147483647 0 0 0", 1990, 1, 1, 1, 0, 0},
        {"empty line", "", 1990, 1, 1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        size_t pos = 0;
        const DateTimeParts p = DecodeDateTime(ReadTime(c.line, pos));
        EXPECT_EQ(p.year, c.year) << c.name;
        EXPECT_EQ(p.month, c.month) << c.name;
        EXPECT_EQ(p.day, c.day) << c.name;
        EXPECT_EQ(p.hour, c.hour) << c.name;
        EXPECT_EQ(p.minute, c.minute) << c.name;
        EXPECT_EQ(p.second, c.second) << c.name;
        EXPECT_EQ(pos, c.line.size()) << c.name;
    }
}

TEST(WireTokens, ReadTimeConsumesExactlyNineIntegers)
{
    const std::string line = "1 2 3 4 5 106 0 0 1 77";
    size_t pos = 0;
    ReadTime(line, pos);
    EXPECT_EQ(ReadInt(line, pos), 77);
}

TEST(WireTokens, EncodeTimeRoundTrips)
{
    const TDateTime t = EncodeDateTime(1999, 12, 5, 14, 30, 12);
    EXPECT_EQ(EncodeTime(t), "12 30 14 5 11 99 0 338 0");
    size_t pos = 0;
    const std::string wire = EncodeTime(t);
    EXPECT_DOUBLE_EQ(ReadTime(wire, pos), t);
}

TEST(WireTokens, EncodeHollerith)
{
    EXPECT_EQ(EncodeHollerith(""), "0H");
    EXPECT_EQ(EncodeHollerith("Hello world"), "11HHello world");
    const std::string bytes("a\0\nb", 4);
    const std::string encoded = EncodeHollerith(bytes);
    size_t pos = 0;
    EXPECT_EQ(ReadHollerith(encoded, pos), bytes);
    EXPECT_EQ(pos, encoded.size());
}

TEST(WireTokens, NextIsInt)
{
    EXPECT_TRUE(NextIsInt("  5", 0));
    EXPECT_TRUE(NextIsInt(" -", 0));
    EXPECT_FALSE(NextIsInt(" }", 0));
    EXPECT_FALSE(NextIsInt("   ", 0));
    EXPECT_FALSE(NextIsInt("5", 1));
    EXPECT_FALSE(NextIsInt("5", 9));
}

TEST(WireTokens, LfToCrLf)
{
    EXPECT_EQ(LfToCrLf(""), "");
    EXPECT_EQ(LfToCrLf("x\n"), "x\r\n");
    EXPECT_EQ(LfToCrLf("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(LfToCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(LfToCrLf("a\r\nb\n"), "a\r\r\nb\r\n");
}

struct FontCase {
    const char* name;
    std::string text;
    FontDesc font;
};

TEST(WireTokens, ParseFontString)
{
    const std::vector<FontCase> cases = {
        {"header default", kDefaultHeaderFont, {"MS Sans Serif", 11, 0x80000008u, false, false, false, false}},
        {"message default", kDefaultMessageFont, {"MS Sans Serif", 10, 0x80000008u, true, false, false, false}},
        {"no style field", "Arial;12;0", {"Arial", 12, 0, false, false, false, false}},
        {"bad size, B and U", "Arial;big;0;BU", {"Arial", 9, 0, true, false, true, false}},
        {"decimal colour, all styles", "Times;8;255;SUIB", {"Times", 8, 255, true, true, true, true}},
        {"bad colour", "Times;8;$zz;I", {"Times", 8, 0, false, true, false, false}},
        {"styles only after the third field", "BIUS;10;$0;", {"BIUS", 10, 0, false, false, false, false}},
        {"name only", "Courier", {"Courier", 9, 0, false, false, false, false}},
        {"empty", "", {"", 9, 0, false, false, false, false}},
    };
    for (const auto& c : cases) {
        const FontDesc f = ParseFontString(c.text);
        EXPECT_EQ(f.name, c.font.name) << c.name;
        EXPECT_EQ(f.size, c.font.size) << c.name;
        EXPECT_EQ(f.color, c.font.color) << c.name;
        EXPECT_EQ(f.bold, c.font.bold) << c.name;
        EXPECT_EQ(f.italic, c.font.italic) << c.name;
        EXPECT_EQ(f.underline, c.font.underline) << c.name;
        EXPECT_EQ(f.strikeOut, c.font.strikeOut) << c.name;
    }
}

TEST(WireTokens, FontToString)
{
    EXPECT_EQ(FontToString(ParseFontString(kDefaultBodyFont)), kDefaultBodyFont);
    EXPECT_EQ(FontToString(ParseFontString(kDefaultMessageFont)), kDefaultMessageFont);
    FontDesc f{"Arial", 12, 0xff00, true, true, true, true};
    EXPECT_EQ(FontToString(f), "Arial;12;$ff00;BIUS");
}

} // namespace
} // namespace pellar
