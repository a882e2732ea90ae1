#include "core/writing/SpellWords.h"

namespace pellar {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' || c == 0x00A0 ||
           c == 0x2028 || c == 0x2029 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x3000 ||
           c == 0xFEFF;
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsApostrophe(char16_t c)
{
    return c == u'\'' || c == 0x2019;
}

// Letters without a character table: ASCII letters, and above ASCII
// everything but the punctuation, symbols and spaces that turn up in running
// text. A symbol taken for a letter only makes a word the dictionary does not
// know; a letter taken for punctuation would cut a word in two.
bool IsLetter(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (c < 0xC0)  // Latin-1 punctuation and symbols; ª, µ and º are letters
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7)  // × ÷
        return false;
    if (c >= 0x2000 && c <= 0x2BFF)  // general punctuation, currency, arrows, maths, boxes
        return false;
    if (c >= 0x3000 && c <= 0x303F)  // CJK punctuation
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)  // surrogates: emoji and the like, not words we check
        return false;
    if (c >= 0xFE30 && c <= 0xFE4F)  // CJK compatibility forms
        return false;
    if (c >= 0xFF00 && c <= 0xFF20)  // full-width punctuation and digits
        return false;
    return !IsBlank(c);
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// A blank-separated chunk that is an address as a whole: a URL or a mail
// address, with any brackets or quotes around it.
bool IsAddress(std::u16string_view chunk)
{
    while (!chunk.empty() && !IsLetter(chunk.front()) && !IsDigit(chunk.front()))
        chunk.remove_prefix(1);
    if (chunk.find(u"://") != std::u16string_view::npos)
        return true;
    if (StartsWithNoCase(chunk, u"www.") || StartsWithNoCase(chunk, u"mailto:") ||
        StartsWithNoCase(chunk, u"news:") || StartsWithNoCase(chunk, u"file:"))
        return true;
    const size_t at = chunk.find(u'@');
    return at != std::u16string_view::npos && at > 0 && at + 1 < chunk.size();
}

// Appends the words of one chunk, which holds no blank.
void ChunkWords(std::u16string_view line, size_t begin, size_t end, std::vector<SpellWordRange>& out)
{
    size_t i = begin;
    while (i < end) {
        if (!IsLetter(line[i]) && !IsDigit(line[i])) {
            ++i;
            continue;
        }
        // A run of letters and digits, joined by single apostrophes
        // ("don't", "l'homme").
        const size_t start = i;
        bool digit = false;
        while (i < end) {
            if (IsLetter(line[i]) || IsDigit(line[i])) {
                digit = digit || IsDigit(line[i]);
                ++i;
            } else if (IsApostrophe(line[i]) && i + 1 < end && IsLetter(line[i + 1]) && i > start) {
                ++i;
            } else {
                break;
            }
        }
        // A single letter is no spelling; anything with a digit is a
        // number, a reference or a name of a thing ("mp3").
        if (!digit && i - start > 1)
            out.push_back({start, i - start});
    }
}

} // namespace

bool IsQuotedLine(std::u16string_view line)
{
    for (const char16_t c : line) {
        if (IsBlank(c))
            continue;
        return c == u'>';
    }
    return false;
}

std::vector<SpellWordRange> SpellWords(std::u16string_view line)
{
    std::vector<SpellWordRange> words;
    if (IsQuotedLine(line))
        return words;
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        const size_t begin = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (!IsAddress(line.substr(begin, i - begin)))
            ChunkWords(line, begin, i, words);
    }
    return words;
}

bool SpellWordAt(std::u16string_view line, size_t position, SpellWordRange* found)
{
    for (const SpellWordRange& word : SpellWords(line)) {
        if (position >= word.start && position <= word.start + word.length) {
            if (found)
                *found = word;
            return true;
        }
    }
    return false;
}

} // namespace pellar
