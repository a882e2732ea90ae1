#include "core/writing/SpellDictionaries.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<SpellDictionary>& list)
{
    std::vector<std::string> out;
    for (const auto& d : list)
        out.push_back(d.language);
    return out;
}

TEST(SpellDictionaries, FoldersFollowTheUsualSearchPlaces)
{
    test::ScopedEnv dicPath("DICPATH", "/a/dicts:/b/dicts");
    test::ScopedEnv dataHome("XDG_DATA_HOME", "/home/anna/data");
    test::ScopedEnv dataDirs("XDG_DATA_DIRS", nullptr);
    const std::vector<fs::path> folders = SpellDictionaryFolders();
    const std::vector<fs::path> expected = {"/a/dicts", "/b/dicts", "/home/anna/data/hunspell",
                                            "/usr/local/share/hunspell", "/usr/local/share/myspell",
                                            "/usr/local/share/myspell/dicts", "/usr/share/hunspell",
                                            "/usr/share/myspell", "/usr/share/myspell/dicts"};
    EXPECT_EQ(folders, expected);

    test::ScopedEnv noDicPath("DICPATH", nullptr);
    test::ScopedEnv noDataHome("XDG_DATA_HOME", nullptr);
    test::ScopedEnv home("HOME", "/home/bo");
    test::ScopedEnv ownDirs("XDG_DATA_DIRS", "/opt/share");
    const std::vector<fs::path> own = {"/home/bo/.local/share/hunspell", "/opt/share/hunspell", "/opt/share/myspell",
                                       "/opt/share/myspell/dicts"};
    EXPECT_EQ(SpellDictionaryFolders(), own);
}

TEST(SpellDictionaries, FindsPairsAndTheEarlierFolderWins)
{
    test::TempDir first("spell-first");
    test::TempDir second("spell-second");
    test::WriteFile(first / "de_DE.aff", "SET UTF-8\n");
    test::WriteFile(first / "de_DE.dic", "1\nWort\n");
    test::WriteFile(second / "de_DE.aff", "SET UTF-8\n");
    test::WriteFile(second / "de_DE.dic", "1\nWort\n");
    test::WriteFile(second / "en_GB.aff", "SET UTF-8\n");
    test::WriteFile(second / "en_GB.dic", "1\nword\n");
    // A hyphenation file has no .aff beside it.
    test::WriteFile(second / "hyph_de_DE.dic", "ISO8859-1\n");
    const auto found = FindSpellDictionaries({first.path(), second.path(), "/nonexistent/folder"});
    EXPECT_EQ(Names(found), (std::vector<std::string>{"de_DE", "en_GB"}));
    EXPECT_EQ(found[0].dic, first / "de_DE.dic");
    EXPECT_EQ(found[0].aff, first / "de_DE.aff");
}

TEST(SpellDictionaries, LocaleLanguageDropsEncodingAndModifier)
{
    test::ScopedEnv all("LC_ALL", nullptr);
    test::ScopedEnv messages("LC_MESSAGES", "de_AT.UTF-8@euro");
    test::ScopedEnv lang("LANG", "en_US.UTF-8");
    EXPECT_EQ(LocaleLanguage(), "de_AT");
    test::ScopedEnv allC("LC_ALL", "C");
    EXPECT_EQ(LocaleLanguage(), "");
    test::ScopedEnv noAll("LC_ALL", nullptr);
    test::ScopedEnv noMessages("LC_MESSAGES", nullptr);
    EXPECT_EQ(LocaleLanguage(), "en_US");
}

TEST(SpellDictionaries, ChoosesTheProfilesThenTheLocalesLanguage)
{
    const std::vector<SpellDictionary> installed = {{"de_DE", {}, {}}, {"en_GB", {}, {}}, {"en_US", {}, {}},
                                                    {"sv_SE", {}, {}}};
    auto choose = [&](std::string_view chosen, std::string_view locale) {
        const auto d = ChooseSpellDictionary(installed, chosen, locale);
        return d ? d->language : std::string("(none)");
    };
    EXPECT_EQ(choose("sv_SE", "de_DE"), "sv_SE");
    EXPECT_EQ(choose("", "de_DE"), "de_DE");
    EXPECT_EQ(choose("", "de_CH"), "de_DE");    // same language
    EXPECT_EQ(choose("fr_FR", "en_GB"), "en_GB");  // the chosen one is gone
    EXPECT_EQ(choose("", "fr_FR"), "en_US");
    EXPECT_EQ(choose("", ""), "en_US");
    EXPECT_EQ(ChooseSpellDictionary({{"nb_NO", {}, {}}}, "", "fr_FR")->language, "nb_NO");
    EXPECT_FALSE(ChooseSpellDictionary({}, "en_US", "en_US"));
}

} // namespace
} // namespace pellar
