// The value forms of the wire protocol: readers that take values out of one
// received line at a cursor, the encoders for request lines, and two text
// conversions that live with them (display line breaks, font strings).
// Readers never throw and never read past the line: malformed input reads as
// defaults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/wire/DateTime.h"

namespace pellar {

// Optional "-" and decimal digits after any blanks; no digits reads as 0.
// Values beyond the 32-bit range saturate.
int32_t ReadInt(std::string_view line, size_t& pos);
// Up to the next blank (consumed), or the rest of the line.
std::string ReadToken(std::string_view line, size_t& pos);
// True when, after blanks, an integer ("-" or a digit) follows. List parsers
// use it to stop at the end of the bytes that arrived, whatever count the
// line announced.
bool NextIsInt(std::string_view line, size_t pos);
// The longest text or message body a server is taken to send (the reference
// server's own limit): an announced length above it is not waited for.
inline constexpr size_t kLongestServerText = size_t{1} << 20;

// Count, "H", then that many bytes; without an "H" the rest of the line.
std::string ReadHollerith(std::string_view line, size_t& pos);
// The nine-integer time form; an invalid time reads as 1990-01-01 01:00:00.
TDateTime ReadTime(std::string_view line, size_t& pos);

// "%dH" followed by the bytes.
std::string EncodeHollerith(std::string_view s);
// The nine-integer time form: sec min hour mday mon(0-based) year-1900 wday yday dst.
std::string EncodeTime(TDateTime t);

// Every LF-terminated piece, and a final piece without LF, ends in CR LF.
std::string LfToCrLf(std::string_view s);

struct FontDesc {
    std::string name;
    int size = 9;
    uint32_t color = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
};

// "name;size;colour;styles" with the colour decimal or "$"-hex, styles of "BIUS".
FontDesc ParseFontString(std::string_view s);
std::string FontToString(const FontDesc& font);

inline constexpr char kDefaultHeaderFont[] = "MS Sans Serif;11;$80000008;";
inline constexpr char kDefaultBodyFont[] = "Courier New;10;$80000008;";
inline constexpr char kDefaultMessageFont[] = "MS Sans Serif;10;$80000008;B";

} // namespace pellar
