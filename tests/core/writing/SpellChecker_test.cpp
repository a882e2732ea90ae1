#include "core/writing/SpellChecker.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pellar {
namespace {

bool Contains(const std::vector<std::u16string>& list, std::u16string_view word)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

// A small dictionary in ISO-8859-1, as older dictionaries are: its bytes for
// "Größe" are not UTF-8.
class SpellCheckerTest : public ::testing::Test {
protected:
    SpellCheckerTest() : dir_("spell-checker")
    {
        test::WriteFile(dir_ / "xx_XX.aff", "SET ISO8859-1\nTRY esianrtolcdugmph\xF6\xDF\xE4\xFC\n");
        test::WriteFile(dir_ / "xx_XX.dic", "4\nGr\xF6\xDF" "e\nhouse\nfriend\nword\n");
        dictionary_ = {"xx_XX", dir_ / "xx_XX.aff", dir_ / "xx_XX.dic"};
    }

    std::unique_ptr<SpellChecker> Open()
    {
        std::string error;
        auto checker = SpellChecker::Open(dictionary_, dir_ / "words" / "personal", &error);
        EXPECT_TRUE(checker) << error;
        return checker;
    }

    test::TempDir dir_;
    SpellDictionary dictionary_;
};

TEST_F(SpellCheckerTest, ConvertsWordsToTheDictionarysEncoding)
{
    auto checker = Open();
    ASSERT_TRUE(checker);
    EXPECT_EQ(checker->Encoding(), "ISO8859-1");
    EXPECT_EQ(checker->ToDictionary(u"Größe"), std::string("Gr\xF6\xDF" "e"));
    EXPECT_TRUE(checker->IsCorrect(u"Größe"));
    EXPECT_TRUE(checker->IsCorrect(u"house"));
    EXPECT_FALSE(checker->IsCorrect(u"Grösse"));
    EXPECT_FALSE(checker->IsCorrect(u"hause"));
    const auto suggestions = checker->Suggestions(u"Grösse");
    EXPECT_TRUE(Contains(suggestions, u"Größe")) << suggestions.size();
    EXPECT_TRUE(Contains(checker->Suggestions(u"hause"), u"house"));
}

TEST_F(SpellCheckerTest, WordsTheEncodingCannotHoldAreUnknownNotMangled)
{
    auto checker = Open();
    ASSERT_TRUE(checker);
    EXPECT_FALSE(checker->ToDictionary(u"Привет"));
    EXPECT_FALSE(checker->IsCorrect(u"Привет"));
    EXPECT_TRUE(checker->Suggestions(u"Привет").empty());
    // "Größe" with a Cyrillic letter in it must not be read as "Größe".
    EXPECT_FALSE(checker->IsCorrect(u"GrößeЖ"));
    // A lone surrogate is no word at all.
    const std::u16string broken = {u'w', 0xD800, u'd'};
    EXPECT_FALSE(checker->IsCorrect(broken));
    EXPECT_TRUE(checker->Suggestions(broken).empty());
    EXPECT_FALSE(checker->AddToPersonal(broken));
    // Longer than any word: not handed to the dictionary.
    EXPECT_FALSE(checker->IsCorrect(std::u16string(5000, u'w')));
}

TEST_F(SpellCheckerTest, RepeatedWordsAreLookedUpOnce)
{
    auto checker = Open();
    ASSERT_TRUE(checker);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(checker->IsCorrect(u"word"));
        EXPECT_FALSE(checker->IsCorrect(u"wrod"));
    }
    EXPECT_EQ(checker->DictionaryLookups(), 2u);
}

TEST_F(SpellCheckerTest, AddedWordsAreKeptInAPrivateFileForTheNextChecker)
{
    {
        auto checker = Open();
        ASSERT_TRUE(checker);
        EXPECT_FALSE(checker->IsCorrect(u"Pellar"));
        std::string error;
        EXPECT_TRUE(checker->AddToPersonal(u"Pellar", &error)) << error;
        EXPECT_TRUE(checker->AddToPersonal(u"Привет", &error)) << error;
        EXPECT_TRUE(checker->AddToPersonal(u"Pellar", &error)) << error;  // once in the file
        EXPECT_TRUE(checker->IsCorrect(u"Pellar"));
        EXPECT_TRUE(checker->IsCorrect(u"Привет"));
    }
    EXPECT_EQ(test::FileMode(dir_ / "words" / "personal"), 0600u);
    EXPECT_EQ(test::ReadFile(dir_ / "words" / "personal"), "Pellar\nПривет\n");
    auto next = Open();
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->IsCorrect(u"Pellar"));
    EXPECT_TRUE(next->IsCorrect(u"Привет"));
    EXPECT_FALSE(next->IsCorrect(u"Pellarr"));
    // The dictionary knows the word too, so it is offered for a near miss.
    EXPECT_TRUE(Contains(next->Suggestions(u"Pelar"), u"Pellar"));
}

TEST_F(SpellCheckerTest, IgnoredWordsLastOnlyThisRun)
{
    auto checker = Open();
    ASSERT_TRUE(checker);
    EXPECT_FALSE(checker->IsCorrect(u"wrod"));
    checker->Ignore(u"wrod");
    EXPECT_TRUE(checker->IsCorrect(u"wrod"));
    EXPECT_TRUE(checker->Ignored().count(u"wrod"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "words" / "personal"));
    EXPECT_FALSE(Open()->IsCorrect(u"wrod"));
}

TEST_F(SpellCheckerTest, APersonalFileThatIsDamagedIsReadAsFarAsItGoes)
{
    std::filesystem::create_directories(dir_ / "words");
    test::WriteFile(dir_ / "words" / "personal", "good\r\n\n\xFF\xFEodd\nlast");
    auto checker = Open();
    ASSERT_TRUE(checker);
    EXPECT_TRUE(checker->IsCorrect(u"good"));
    EXPECT_TRUE(checker->IsCorrect(u"last"));
    EXPECT_TRUE(checker->IsCorrect(u"\uFFFD\uFFFDodd"));
}

TEST_F(SpellCheckerTest, AMissingDictionaryIsRefusedWithAReason)
{
    std::string error;
    EXPECT_FALSE(SpellChecker::Open({"zz", dir_ / "zz.aff", dir_ / "zz.dic"}, {}, &error));
    EXPECT_NE(error.find("zz.aff"), std::string::npos) << error;
    test::WriteFile(dir_ / "yy.aff", "SET NO-SUCH-ENCODING-9\n");
    test::WriteFile(dir_ / "yy.dic", "1\nword\n");
    EXPECT_FALSE(SpellChecker::Open({"yy", dir_ / "yy.aff", dir_ / "yy.dic"}, {}, &error));
    EXPECT_NE(error.find("NO-SUCH-ENCODING-9"), std::string::npos) << error;
}

TEST(SpellCheckerInstalled, ChecksWithTheInstalledAmericanDictionary)
{
    const auto installed = FindSpellDictionaries(SpellDictionaryFolders());
    const auto english = std::find_if(installed.begin(), installed.end(),
                                      [](const SpellDictionary& d) { return d.language == "en_US"; });
    if (english == installed.end())
        GTEST_SKIP() << "skipped: no en_US dictionary installed";
    auto checker = SpellChecker::Open(*english, {});
    ASSERT_TRUE(checker);
    EXPECT_TRUE(checker->IsCorrect(u"world"));
    EXPECT_TRUE(checker->IsCorrect(u"don't"));
    EXPECT_FALSE(checker->IsCorrect(u"wrold"));
    EXPECT_TRUE(Contains(checker->Suggestions(u"wrold"), u"world"));
    EXPECT_FALSE(checker->IsCorrect(u"Привет"));
}

TEST(SpellCheckerUtf, ConvertsBetweenUtf16AndUtf8)
{
    const std::u16string text = u"aé€\U0001F600";
    const auto utf8 = Utf16ToUtf8(text);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(*utf8, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(*utf8), text);
    EXPECT_FALSE(Utf16ToUtf8(std::u16string{0xDC00}));
    EXPECT_FALSE(Utf16ToUtf8(std::u16string{u'a', 0xD800}));
    // Overlong forms, stray continuation bytes and a cut sequence.
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF" "a\x80\xE2\x82"), u"\uFFFD\uFFFDa\uFFFD\uFFFD\uFFFD");
}

} // namespace
} // namespace pellar
