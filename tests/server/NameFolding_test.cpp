// Name look-up in each character set: letter case folds as the set says, a
// multi-byte letter is compared whole, and the wire counts bytes.
#include <gtest/gtest.h>

#include <string>

#include "server/Store.h"
#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

using pellar::WireCharset;

class NameFoldingTest : public ::testing::Test {
protected:
    int32_t Add(const std::string& name) { return store.CreatePerson(name, "x", 0); }
    std::vector<int32_t> Match(const std::string& pattern) { return store.MatchNames(pattern, true, true); }

    Store store;
};

TEST_F(NameFoldingTest, Latin1FoldsNordicAndGermanLetters)
{
    store.SetCharset(WireCharset::Latin1);
    const int32_t asa = Add("\xC5sa \xC5ngstr\xF6m");
    const int32_t jurgen = Add("J\xFCrgen Gro\xDF");
    EXPECT_EQ(Match("\xE5ng"), std::vector<int32_t>{});  // the first word must match too
    EXPECT_EQ(Match("\xE5s \xE5ng"), std::vector<int32_t>{asa});
    EXPECT_EQ(Match("\xC5S\xC1"), std::vector<int32_t>{});
    EXPECT_EQ(Match("J\xDCR GRO"), std::vector<int32_t>{jurgen});
    EXPECT_EQ(store.FindExactName("\xE5SA \xE5NGSTR\xD6M"), asa);
    // The same bytes read as UTF-8 would be other letters: no match there.
    EXPECT_EQ(Match("\xC3\xA5s"), std::vector<int32_t>{});
}

TEST_F(NameFoldingTest, Utf8FoldsLatinGreekAndCyrillicAndMatchesOtherScriptsExactly)
{
    store.SetCharset(WireCharset::Utf8);
    const int32_t asa = Add("Åsa Ångström");
    const int32_t greek = Add("Ελληνικά Νέα");
    const int32_t russian = Add("Дмитрий Волков");
    const int32_t japanese = Add("山田 花子");
    EXPECT_EQ(Match("ås ång"), std::vector<int32_t>{asa});
    EXPECT_EQ(Match("ÅSA"), std::vector<int32_t>{asa});
    EXPECT_EQ(Match("ελλ"), std::vector<int32_t>{greek});
    EXPECT_EQ(Match("ΕΛΛΗΝΙΚΆ ν"), std::vector<int32_t>{greek});
    EXPECT_EQ(Match("дми вол"), std::vector<int32_t>{russian});
    EXPECT_EQ(Match("山田"), std::vector<int32_t>{japanese});
    EXPECT_EQ(Match("山 花"), std::vector<int32_t>{japanese});
    EXPECT_EQ(store.FindExactName("ελληνικά νέα"), greek);
    EXPECT_EQ(store.FindExactName("ελληνικά"), std::nullopt);
}

TEST_F(NameFoldingTest, PrefixEndingInsideAMultiByteLetterMatchesNothing)
{
    store.SetCharset(WireCharset::Utf8);
    Add("Ελληνικά");
    Add("山田 花子");
    // "Ελ" and the first byte of "λ"; "山" and the first two bytes of "田".
    EXPECT_EQ(Match("\xCE\x95\xCE\xBB\xCE"), std::vector<int32_t>{});
    EXPECT_EQ(Match("\xE5\xB1\xB1\xE7\x94"), std::vector<int32_t>{});
    // A lone continuation byte, and a prefix of the letter's lower-case form.
    EXPECT_EQ(Match("\xBB"), std::vector<int32_t>{});
    EXPECT_EQ(Match("\xCE"), std::vector<int32_t>{});
}

TEST_F(NameFoldingTest, Latin1ServerKeepsItsFoldingForBytesThatLookLikeUtf8)
{
    // "Ä" in UTF-8 is "Ã" + "\x84" in ISO-8859-1; folding there lowers the "Ã".
    store.SetCharset(WireCharset::Latin1);
    const int32_t n = Add("\xC3\x84rlig");
    EXPECT_EQ(Match("\xE3\x84r"), std::vector<int32_t>{n});
}

TEST(NameFoldingOnTheWire, Utf8ServerCountsBytesAndFindsGreekNames)
{
    ServerOptions o;
    o.charset = WireCharset::Utf8;
    auto server = StartServer(o);
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet("anna"));
    // "Ελένη" is five letters in ten bytes.
    ASSERT_EQ(c.Call("5 10HΕλένη 6Hsecret"), "=1 1");
    ASSERT_EQ(c.Call("62 1 6Hsecret 0"), "=2");
    EXPECT_EQ(c.Call("76 6Hελέ 1 0"), "=3 1 { 10HΕλένη 10010000 1 }");
    EXPECT_EQ(c.Call("76 5Hελ\xCE 1 0"), "=4 0 *");
}

} // namespace
} // namespace miravod::test
