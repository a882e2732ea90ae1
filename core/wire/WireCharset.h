// The character sets text on the wire may be in, and the byte-level work
// both ends need without a GUI toolkit: decoding bytes into characters,
// counting characters, encoding, and letter-case folding for name lookup.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellar {

enum class WireCharset { Latin1, Utf8 };

// "iso-8859-1" / "utf-8" (any letter case; "latin1", "latin-1", "utf8" too).
std::optional<WireCharset> ParseWireCharset(std::string_view name);
// "ISO-8859-1" / "UTF-8", as settings store it and dialogs show it.
std::string_view WireCharsetName(WireCharset charset);

// Bytes as characters. In UTF-8 every well-formed sequence is one character
// and every byte that is not part of one stands for its ISO-8859-1 letter,
// so text written by an ISO-8859-1 client still reads right.
std::u32string DecodeWire(std::string_view bytes, WireCharset charset);
// The character at bytes[pos], moving pos past it; pos < bytes.size().
// For walking text without building it (name look-up on every name).
char32_t NextWireChar(std::string_view bytes, size_t& pos, WireCharset charset);
// Characters the bytes show as (DecodeWire(...).size() without building it).
size_t WireCharCount(std::string_view bytes, WireCharset charset);

// Characters as bytes. A character the set cannot hold becomes "?" and is
// appended to *unencodable (once per distinct character) when given.
std::string EncodeWire(std::u32string_view text, WireCharset charset, std::u32string* unencodable = nullptr);
// A single code point in UTF-8 (surrogates and values past U+10FFFF as "?").
void AppendUtf8(std::string& out, char32_t c);

// Simple lower-case folding of one character: ISO-8859-1 letters in both
// sets; in UTF-8 also Latin Extended-A, Greek (final sigma folds to sigma)
// and Cyrillic. Characters of other scripts fold to themselves.
char32_t FoldLetterCase(char32_t c, WireCharset charset);
// The bytes decoded and folded, ready for comparing names.
std::u32string FoldWireText(std::string_view bytes, WireCharset charset);

} // namespace pellar
