#include "core/writing/SpellWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellar {
namespace {

// The words SpellWords picks, as text.
std::vector<std::u16string> Words(std::u16string_view line)
{
    std::vector<std::u16string> out;
    for (const SpellWordRange& r : SpellWords(line))
        out.emplace_back(line.substr(r.start, r.length));
    return out;
}

using W = std::vector<std::u16string>;

TEST(SpellWords, SplitsRunningTextAtBlanksAndPunctuation)
{
    EXPECT_EQ(Words(u"Hello, wrold! How are you?"), (W{u"Hello", u"wrold", u"How", u"are", u"you"}));
    EXPECT_EQ(Words(u"(brackets) \"quotes\" and...dots"), (W{u"brackets", u"quotes", u"and", u"dots"}));
    EXPECT_EQ(Words(u"well-known\tfact"), (W{u"well", u"known", u"fact"}));
    EXPECT_EQ(Words(u""), W{});
    EXPECT_EQ(Words(u"   \t "), W{});
}

TEST(SpellWords, RangesArePositionsInTheLine)
{
    const std::vector<SpellWordRange> ranges = SpellWords(u"  ab, cde");
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0], (SpellWordRange{2, 2}));
    EXPECT_EQ(ranges[1], (SpellWordRange{6, 3}));
}

TEST(SpellWords, KeepsLettersBeyondAsciiAndInnerApostrophes)
{
    EXPECT_EQ(Words(u"Größe über Ærø"), (W{u"Größe", u"über", u"Ærø"}));
    EXPECT_EQ(Words(u"Привет мир"), (W{u"Привет", u"мир"}));
    EXPECT_EQ(Words(u"don't l’homme 'quoted'"), (W{u"don't", u"l’homme", u"quoted"}));
    // Typographic punctuation ends a word.
    EXPECT_EQ(Words(u"«mot» “word”—dash…"), (W{u"mot", u"word", u"dash"}));
    // A non-breaking space is a blank.
    EXPECT_EQ(Words(u"one\u00A0two"), (W{u"one", u"two"}));
}

TEST(SpellWords, LeavesOutSingleLettersAndAnythingWithADigit)
{
    EXPECT_EQ(Words(u"a b I x"), W{});
    EXPECT_EQ(Words(u"see <123> and text 4711, mp3 2nd 10:30"), (W{u"see", u"and", u"text"}));
}

TEST(SpellWords, LeavesOutWebAndMailAddresses)
{
    EXPECT_EQ(Words(u"look at https://exmaple.org/pathh?q=wrd now"), (W{u"look", u"at", u"now"}));
    EXPECT_EQ(Words(u"(www.exmaple.org) or <ftp://host/fiel>"), (W{u"or"}));
    EXPECT_EQ(Words(u"write to anna.berg@exmaple.org, or mailto:ann@hst"), (W{u"write", u"to", u"or"}));
    // An "@" alone or at an end is no address.
    EXPECT_EQ(Words(u"meet @ noon"), (W{u"meet", u"noon"}));
}

TEST(SpellWords, LeavesOutQuotedLinesWhole)
{
    EXPECT_TRUE(IsQuotedLine(u"> what he wrot"));
    EXPECT_TRUE(IsQuotedLine(u"  >> deeper"));
    EXPECT_FALSE(IsQuotedLine(u"a > b"));
    EXPECT_FALSE(IsQuotedLine(u""));
    EXPECT_EQ(Words(u"> what he wrot"), W{});
    EXPECT_EQ(Words(u"a > b and more"), (W{u"and", u"more"}));
}

TEST(SpellWords, FindsTheWordAtAPosition)
{
    SpellWordRange found;
    ASSERT_TRUE(SpellWordAt(u"one twoo three", 5, &found));
    EXPECT_EQ(found, (SpellWordRange{4, 4}));
    // Just after the word's end (a caret there) is still the word.
    ASSERT_TRUE(SpellWordAt(u"one twoo three", 8, &found));
    EXPECT_EQ(found, (SpellWordRange{4, 4}));
    EXPECT_FALSE(SpellWordAt(u"one, 123", 6, &found));
    EXPECT_FALSE(SpellWordAt(u"> quoted wrd", 10, &found));
    EXPECT_FALSE(SpellWordAt(u"short", 99, &found));
}

TEST(SpellWords, SurvivesHostileText)
{
    // Lone surrogates, emoji and control characters split words, never crash.
    const std::u16string odd = {u'a', u'b', 0xD800, u'c', u'd', 0xDE00, 0xD83D, 0xDE00, u'e', u'f', 0, u'g', u'h'};
    EXPECT_EQ(Words(odd), (W{u"ab", u"cd", u"ef", u"gh"}));
    std::u16string longLine(100000, u'x');
    longLine[50000] = u' ';
    EXPECT_EQ(SpellWords(longLine).size(), 2u);
}

} // namespace
} // namespace pellar
