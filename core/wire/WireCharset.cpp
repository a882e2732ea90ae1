#include "core/wire/WireCharset.h"

#include <algorithm>

namespace pellar {

namespace {

bool IsCont(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at s[i] and its code point, or 0
// when the byte there does not start one (overlong forms, surrogates and
// values past U+10FFFF are not well-formed).
size_t Utf8Sequence(std::string_view s, size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    const size_t left = s.size() - i;
    auto at = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !IsCont(at(1)))
            return 0;
        cp = (char32_t(b0 & 0x1F) << 6) | (at(1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !IsCont(at(1)) || !IsCont(at(2)))
            return 0;
        if ((b0 == 0xE0 && at(1) < 0xA0) || (b0 == 0xED && at(1) > 0x9F))
            return 0;
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(at(1) & 0x3F) << 6) | (at(2) & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !IsCont(at(1)) || !IsCont(at(2)) || !IsCont(at(3)))
            return 0;
        if ((b0 == 0xF0 && at(1) < 0x90) || (b0 == 0xF4 && at(1) > 0x8F))
            return 0;
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(at(1) & 0x3F) << 12) | (char32_t(at(2) & 0x3F) << 6) |
             (at(3) & 0x3F);
        return 4;
    }
    return 0;
}

char32_t ToLowerEvenUpper(char32_t c)
{
    return c % 2 == 0 ? c + 1 : c;
}

char32_t ToLowerOddUpper(char32_t c)
{
    return c % 2 == 1 ? c + 1 : c;
}

char32_t FoldLatin1(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    return c;
}

char32_t FoldLatinExtended(char32_t c)
{
    if (c <= 0x12F || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return ToLowerEvenUpper(c);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return ToLowerOddUpper(c);
    switch (c) {
    case 0x130: return 'i';
    case 0x178: return 0xFF;
    case 0x17F: return 's';
    default: return c;
    }
}

char32_t FoldGreek(char32_t c)
{
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB))
        return c + 0x20;
    if (c >= 0x388 && c <= 0x38A)
        return c + 37;
    if (c == 0x38E || c == 0x38F)
        return c + 63;
    switch (c) {
    case 0x386: return 0x3AC;
    case 0x38C: return 0x3CC;
    case 0x3C2: return 0x3C3;  // a final sigma is a sigma
    default: return c;
    }
}

char32_t FoldCyrillic(char32_t c)
{
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return ToLowerEvenUpper(c);
    if (c >= 0x4C1 && c <= 0x4CE)
        return ToLowerOddUpper(c);
    if (c == 0x4C0)
        return 0x4CF;
    return c;
}

} // namespace

std::optional<WireCharset> ParseWireCharset(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; });
    if (lower == "iso-8859-1" || lower == "iso8859-1" || lower == "latin1" || lower == "latin-1")
        return WireCharset::Latin1;
    if (lower == "utf-8" || lower == "utf8")
        return WireCharset::Utf8;
    return std::nullopt;
}

std::string_view WireCharsetName(WireCharset charset)
{
    return charset == WireCharset::Utf8 ? "UTF-8" : "ISO-8859-1";
}

char32_t NextWireChar(std::string_view bytes, size_t& pos, WireCharset charset)
{
    const auto byte = static_cast<unsigned char>(bytes[pos]);
    if (charset == WireCharset::Latin1 || byte < 0x80) {
        ++pos;
        return byte;
    }
    char32_t cp = 0;
    const size_t n = Utf8Sequence(bytes, pos, cp);
    if (n == 0) {
        ++pos;
        return byte;
    }
    pos += n;
    return cp;
}

std::u32string DecodeWire(std::string_view bytes, WireCharset charset)
{
    std::u32string out;
    out.reserve(bytes.size());
    if (charset == WireCharset::Latin1) {
        for (char b : bytes)
            out += static_cast<char32_t>(static_cast<unsigned char>(b));
        return out;
    }
    for (size_t i = 0; i < bytes.size();)
        out += NextWireChar(bytes, i, charset);
    return out;
}

size_t WireCharCount(std::string_view bytes, WireCharset charset)
{
    if (charset == WireCharset::Latin1)
        return bytes.size();
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++count) {
        char32_t cp = 0;
        const size_t n = Utf8Sequence(bytes, i, cp);
        i += n == 0 ? 1 : n;
    }
    return count;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';
            return;
        }
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += '?';
    }
}

std::string EncodeWire(std::u32string_view text, WireCharset charset, std::u32string* unencodable)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        const bool fits = charset == WireCharset::Latin1 ? c <= 0xFF : (c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));
        if (!fits) {
            out += '?';
            if (unencodable && unencodable->find(c) == std::u32string::npos)
                *unencodable += c;
        } else if (charset == WireCharset::Latin1) {
            out += static_cast<char>(c);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

char32_t FoldLetterCase(char32_t c, WireCharset charset)
{
    if (c <= 0xFF)
        return FoldLatin1(c);
    if (charset == WireCharset::Latin1)
        return c;
    if (c <= 0x17F)
        return FoldLatinExtended(c);
    if (c >= 0x370 && c <= 0x3FF)
        return FoldGreek(c);
    if (c >= 0x400 && c <= 0x52F)
        return FoldCyrillic(c);
    if (c >= 0x1E00 && c <= 0x1EFF) {
        if (c == 0x1E9E)
            return 0xDF;
        if (c <= 0x1E95 || c >= 0x1EA0)
            return ToLowerEvenUpper(c);
    }
    return c;
}

std::u32string FoldWireText(std::string_view bytes, WireCharset charset)
{
    std::u32string text = DecodeWire(bytes, charset);
    for (char32_t& c : text)
        c = FoldLetterCase(c, charset);
    return text;
}

} // namespace pellar
