#include "core/wire/WireTokens.h"

#include <cstdio>
#include <limits>

namespace pellar {

namespace {

void SkipBlanks(std::string_view line, size_t& pos)
{
    if (pos > line.size())
        pos = line.size();
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
}

// Full-field integer, decimal or "$"-hex; nullopt-like failure via the flag.
bool ParseWholeNumber(std::string_view s, int64_t& out)
{
    if (s.empty())
        return false;
    bool negative = false;
    size_t i = 0;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= s.size())
        return false;
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            return false;
    }
    out = negative ? -value : value;
    return true;
}

// Cuts the next ";"-separated field; without a ";" the rest is the field.
std::string_view NextField(std::string_view& rest)
{
    const size_t semi = rest.find(';');
    std::string_view field = rest.substr(0, semi);
    rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    return field;
}

} // namespace

int32_t ReadInt(std::string_view line, size_t& pos)
{
    SkipBlanks(line, pos);
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    bool negative = false;
    while (pos < line.size() && (line[pos] == '-' || (line[pos] >= '0' && line[pos] <= '9'))) {
        // A "-" anywhere in the run shifts like a digit and only marks the sign.
        value *= 10;
        if (line[pos] == '-')
            negative = true;
        else
            value += line[pos] - '0';
        if (value > kLimit)
            value = kLimit;
        ++pos;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value >= kLimit ? kLimit - 1 : value);
}

bool NextIsInt(std::string_view line, size_t pos)
{
    SkipBlanks(line, pos);
    return pos < line.size() && (line[pos] == '-' || (line[pos] >= '0' && line[pos] <= '9'));
}

std::string ReadToken(std::string_view line, size_t& pos)
{
    SkipBlanks(line, pos);
    const size_t blank = line.find(' ', pos);
    if (blank == std::string_view::npos) {
        std::string token(line.substr(pos));
        pos = line.size();
        return token;
    }
    std::string token(line.substr(pos, blank - pos));
    pos = blank + 1;
    return token;
}

std::string ReadHollerith(std::string_view line, size_t& pos)
{
    pos = pos > line.size() ? line.size() : pos;
    const size_t start = pos;
    SkipBlanks(line, pos);
    const size_t h = line.find('H', pos);
    if (h == std::string_view::npos) {
        pos = line.size();
        return std::string(line.substr(start));
    }
    // The count is taken place by place from whatever precedes the "H";
    // it is clamped to the bytes that are actually there.
    const int64_t available = static_cast<int64_t>(line.size() - h - 1);
    int64_t length = 0;
    for (size_t i = pos; i < h; ++i) {
        length = length * 10 + (static_cast<unsigned char>(line[i]) - '0');
        if (length > available)
            length = available + 1;
        else if (length < -available - 1)
            length = -available - 1;
    }
    pos = h + 1;
    if (length <= 0)
        return std::string();
    if (length > available)
        length = available;
    std::string result(line.substr(pos, static_cast<size_t>(length)));
    pos += static_cast<size_t>(length);
    return result;
}

TDateTime ReadTime(std::string_view line, size_t& pos)
{
    const int sec = ReadInt(line, pos);
    const int min = ReadInt(line, pos);
    const int hour = ReadInt(line, pos);
    int day = ReadInt(line, pos);
    int month = ReadInt(line, pos);
    int year = ReadInt(line, pos);
    ReadInt(line, pos); // weekday
    ReadInt(line, pos); // day of year
    ReadInt(line, pos); // daylight-saving flag
    if (month < std::numeric_limits<int32_t>::max())
        month += 1;
    // Some servers roll the day past 31 December 1999 instead of into 2000.
    if (year == 99 && month == 12 && day >= 32) {
        year = 100;
        month = 1;
        day -= 31;
    }
    TDateTime t;
    if (year > 9999 || !TryEncodeDateTime(year + 1900, month, day, hour, min, sec, t))
        return EncodeDateTime(1990, 1, 1, 1, 0, 0);
    return t;
}

std::string EncodeHollerith(std::string_view s)
{
    std::string out = std::to_string(s.size());
    out += 'H';
    out.append(s);
    return out;
}

std::string EncodeTime(TDateTime t)
{
    const DateTimeParts p = DecodeDateTime(t);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d %d %d %d %d %d %d %d 0", p.second, p.minute, p.hour, p.day, p.month - 1,
                  p.year - 1900, p.weekday, p.yearDay);
    return buf;
}

std::string LfToCrLf(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 16 + 2);
    size_t start = 0;
    while (start < s.size()) {
        const size_t lf = s.find('\n', start);
        const size_t end = lf == std::string_view::npos ? s.size() : lf;
        out.append(s.substr(start, end - start));
        out += "\r\n";
        start = lf == std::string_view::npos ? s.size() : lf + 1;
    }
    return out;
}

FontDesc ParseFontString(std::string_view s)
{
    FontDesc font;
    std::string_view rest = s;
    font.name = std::string(NextField(rest));
    int64_t number;
    font.size = ParseWholeNumber(NextField(rest), number) && number >= std::numeric_limits<int32_t>::min() &&
                        number <= std::numeric_limits<int32_t>::max()
                    ? static_cast<int>(number)
                    : 9;
    font.color = ParseWholeNumber(NextField(rest), number) ? static_cast<uint32_t>(number) : 0;
    font.bold = rest.find('B') != std::string_view::npos;
    font.italic = rest.find('I') != std::string_view::npos;
    font.underline = rest.find('U') != std::string_view::npos;
    font.strikeOut = rest.find('S') != std::string_view::npos;
    return font;
}

std::string FontToString(const FontDesc& font)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, ";%d;$%x;", font.size, static_cast<unsigned>(font.color));
    std::string out = font.name + buf;
    if (font.bold)
        out += 'B';
    if (font.italic)
        out += 'I';
    if (font.underline)
        out += 'U';
    if (font.strikeOut)
        out += 'S';
    return out;
}

} // namespace pellar
