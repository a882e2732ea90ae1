#include "core/wire/WireCharset.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace pellar {
namespace {

constexpr auto L1 = WireCharset::Latin1;
constexpr auto U8 = WireCharset::Utf8;

TEST(WireCharset, NamesParseInAnyCaseAndRoundTrip)
{
    EXPECT_EQ(ParseWireCharset("ISO-8859-1"), L1);
    EXPECT_EQ(ParseWireCharset("iso-8859-1"), L1);
    EXPECT_EQ(ParseWireCharset("utf-8"), U8);
    EXPECT_EQ(ParseWireCharset("UTF8"), U8);
    EXPECT_FALSE(ParseWireCharset("koi8-r"));
    EXPECT_FALSE(ParseWireCharset(""));
    for (auto cs : {L1, U8})
        EXPECT_EQ(ParseWireCharset(WireCharsetName(cs)), cs);
}

TEST(WireCharset, Utf8DecodesWellFormedSequencesOfEveryLength)
{
    // A, é (2 bytes), 日 (3 bytes), 🎉 (4 bytes)
    EXPECT_EQ(DecodeWire("A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\x89", U8), std::u32string(U"Aé日🎉"));
    EXPECT_EQ(WireCharCount("A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\x89", U8), 4u);
}

TEST(WireCharset, Utf8ShowsEachStrayByteAsItsLatin1Letter)
{
    // "Grüße" as an ISO-8859-1 client wrote it, then valid UTF-8 after it.
    EXPECT_EQ(DecodeWire("Gr\xFC\xDF" "e \xCE\xB1", U8), std::u32string(U"Grüße α"));
    // A truncated sequence at the end: both bytes stand alone.
    EXPECT_EQ(DecodeWire("x\xE6\x97", U8), std::u32string(U"x\u00E6\u0097"));
    // Overlong "/" and an encoded surrogate are not well-formed.
    EXPECT_EQ(DecodeWire("\xC0\xAF", U8), std::u32string(U"\u00C0\u00AF"));
    EXPECT_EQ(DecodeWire("\xED\xA0\x80", U8), std::u32string(U"\u00ED\u00A0\u0080"));
    // Past U+10FFFF.
    EXPECT_EQ(DecodeWire("\xF4\x90\x80\x80", U8).size(), 4u);
    EXPECT_EQ(WireCharCount("Gr\xFC\xDF" "e", U8), 5u);
}

TEST(WireCharset, Latin1IsOneCharacterPerByte)
{
    EXPECT_EQ(DecodeWire("\xC3\xA9", L1), std::u32string(U"Ã©"));
    EXPECT_EQ(WireCharCount("\xC3\xA9", L1), 2u);
}

TEST(WireCharset, EncodingRoundTripsAndNamesWhatItCannotHold)
{
    const std::u32string text = U"Grüße, Ångström, Ελληνικά, 日本語, emoji 🎉";
    EXPECT_EQ(DecodeWire(EncodeWire(text, U8), U8), text);

    std::u32string missing;
    const std::string latin = EncodeWire(U"Grüße 日本語 日", L1, &missing);
    EXPECT_EQ(latin, "Gr\xFC\xDF" "e ??? ?");
    EXPECT_EQ(missing, std::u32string(U"日本語"));

    missing.clear();
    EXPECT_EQ(EncodeWire(U"Ångström", L1, &missing), "\xC5ngstr\xF6m");
    EXPECT_TRUE(missing.empty());
}

TEST(WireCharset, FoldsLettersOfEachScript)
{
    EXPECT_EQ(FoldWireText("\xC5NGSTR\xD6M", L1), FoldWireText("\xE5ngstr\xF6m", L1));
    // The multiplication sign is not a letter and stays.
    EXPECT_EQ(FoldLetterCase(0xD7, L1), char32_t(0xD7));
    EXPECT_EQ(FoldWireText("\xCE\x95\xCE\xBB\xCE\xBB\xCE\x97\xCE\x9D", U8), std::u32string(U"ελλην"));
    // Upper case folds; lower-case letters and other scripts stay as they are.
    const std::pair<char32_t, char32_t> folds[] = {
        {U'Σ', U'σ'}, {U'ς', U'σ'}, {U'Ά', U'ά'}, {U'Ώ', U'ώ'}, {U'Ж', U'ж'}, {U'Ё', U'ё'},
        {U'Ł', U'ł'}, {U'Ž', U'ž'}, {U'Ÿ', U'ÿ'}, {U'ł', U'ł'}, {U'ж', U'ж'}, {U'日', U'日'},
    };
    for (const auto& [from, to] : folds)
        EXPECT_EQ(FoldLetterCase(from, U8), to) << static_cast<uint32_t>(from);
    // In ISO-8859-1 nothing past U+00FF exists to fold.
    EXPECT_EQ(FoldLetterCase(U'Σ', L1), U'Σ');
}

} // namespace
} // namespace pellar
