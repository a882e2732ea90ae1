#include "core/config/TMiravoConfiguration.h"

#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

namespace pellar {
namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);
const std::string kHome = kRoot + "\\Home";

class ConfigurationTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryRegistryBackend> store = std::make_shared<MemoryRegistryBackend>();

    std::unique_ptr<TMiravoConfiguration> Open(const std::string& profile = kRoot, std::string login = "anna")
    {
        auto config = std::make_unique<TMiravoConfiguration>(store, std::move(login));
        config->SetProfile(profile);
        return config;
    }
};

// --- Reading with inheritance ------------------------------------------------

TEST_F(ConfigurationTest, NamedProfileOwnValueWinsElseDefaultProfileElseCallerDefault)
{
    store->WriteString(kRoot, "Server", "root.example");
    store->WriteString(kRoot, "User", "rootuser");
    store->WriteString(kHome, "User", "homeuser");
    auto config = Open(kHome);
    EXPECT_EQ(config->ReadString("User", "x"), "homeuser");
    EXPECT_EQ(config->ReadString("Server", "x"), "root.example");
    EXPECT_EQ(config->ReadString("ProxyServer", "none"), "none");
}

TEST_F(ConfigurationTest, EmptyValueFollowsTheDefaultProfileOnlyWhileInheriting)
{
    store->WriteString(kRoot, "SoundAllMsg", "1");
    store->WriteString(kHome, "SoundAllMsg", "");
    auto config = Open(kHome);
    EXPECT_TRUE(config->ReadFlag("SoundAllMsg", false));
    config->SetInherit(false);
    EXPECT_FALSE(config->ReadFlag("SoundAllMsg", false));
    EXPECT_TRUE(config->ReadFlag("SoundAllMsg", true));
    EXPECT_EQ(config->ReadTriState("SoundAllMsg", TriState::Grayed), TriState::Grayed);
}

TEST_F(ConfigurationTest, ExistingEmptyValueIsNotReplacedByTheCallerDefault)
{
    store->WriteString(kHome, "OfflineMessage", "");
    auto config = Open(kHome);
    EXPECT_EQ(config->ReadString("OfflineMessage", "away"), "");
    // Missing in the profile and empty in the root: nothing non-empty found
    // and the profile lacks the value, so the caller's default applies.
    store->WriteString(kRoot, "ProxyPort", "");
    EXPECT_EQ(config->ReadString("ProxyPort", "8080"), "8080");
}

TEST_F(ConfigurationTest, WithoutInheritanceAMissingValueIsTheCallerDefault)
{
    store->WriteString(kRoot, "Port", "4894");
    auto config = Open(kHome);
    config->SetInherit(false);
    EXPECT_EQ(config->ReadString("Port", "1"), "1");
    config->SetInherit(true);
    EXPECT_EQ(config->ReadString("Port", "1"), "4894");
}

TEST_F(ConfigurationTest, NumberValueReadAsTextGivesTheDefault)
{
    store->WriteNumber(kRoot, "Port", 4894);
    auto config = Open();
    EXPECT_EQ(config->ReadString("Port", "d"), "d");
}

TEST_F(ConfigurationTest, WritesGoToTheCurrentProfileAndAreSeenByOtherInstancesAtOnce)
{
    auto home = Open(kHome);
    auto root = Open();
    home->WriteString("User", "bertil");
    EXPECT_EQ(store->ReadValue(kHome, "User"), RegistryValue(std::string("bertil")));
    EXPECT_FALSE(store->ReadValue(kRoot, "User").has_value());
    auto other = Open(kHome);
    EXPECT_EQ(other->ReadString("User", ""), "bertil");
    root->WriteString("Server", "s1");
    EXPECT_EQ(home->ReadString("Server", ""), "s1");
}

// --- Flags, tri-states, numbers -------------------------------------------

TEST_F(ConfigurationTest, FlagsReadOnlyOneAndZero)
{
    auto config = Open();
    for (const auto& [stored, expectedWithTrueDefault, expectedWithFalseDefault] :
         std::vector<std::tuple<std::string, bool, bool>>{
             {"1", true, true}, {"0", false, false}, {"", true, false}, {"yes", true, false}, {"01", true, false}}) {
        config->WriteString("F", stored);
        EXPECT_EQ(config->ReadFlag("F", true), expectedWithTrueDefault) << stored;
        EXPECT_EQ(config->ReadFlag("F", false), expectedWithFalseDefault) << stored;
    }
    config->WriteFlag("G", true);
    EXPECT_EQ(config->ReadString("G", ""), "1");
    config->WriteFlag("G", false);
    EXPECT_EQ(config->ReadString("G", ""), "0");
}

TEST_F(ConfigurationTest, TriStateWriteAndReadThroughAProfile)
{
    auto root = Open();
    root->WriteTriState("TrayAllMsg", TriState::Unchecked);
    auto home = Open(kHome);
    home->SetInherit(false);  // as the settings dialog sees a profile

    EXPECT_EQ(home->ReadTriState("TrayAllMsg", TriState::Grayed), TriState::Grayed);
    home->WriteTriState("TrayAllMsg", TriState::Checked);
    EXPECT_EQ(store->ReadValue(kHome, "TrayAllMsg"), RegistryValue(std::string("1")));
    EXPECT_EQ(home->ReadTriState("TrayAllMsg", TriState::Grayed), TriState::Checked);

    home->WriteTriState("TrayAllMsg", TriState::Grayed);
    EXPECT_EQ(store->ReadValue(kHome, "TrayAllMsg"), RegistryValue(std::string()));
    EXPECT_EQ(home->ReadTriState("TrayAllMsg", TriState::Grayed), TriState::Grayed);
    home->SetInherit(true);  // a reader elsewhere follows the default profile again
    EXPECT_EQ(home->ReadTriState("TrayAllMsg", TriState::Checked), TriState::Unchecked);
    EXPECT_FALSE(home->ReadFlag("TrayAllMsg", true));
}

TEST_F(ConfigurationTest, IntegersParseOnlyWhenTheWholeValueIsDecimal)
{
    auto config = Open();
    config->WriteInt("SoundPriTextLvl", 240);
    EXPECT_EQ(config->ReadInt("SoundPriTextLvl", 255), 240);
    config->WriteString("SoundPriTextLvl", "-1");
    EXPECT_EQ(config->ReadInt("SoundPriTextLvl", 255), -1);
    for (const char* bad : {"", "abc", "12x", " 12", "99999999999"}) {
        config->WriteString("SoundPriTextLvl", bad);
        EXPECT_EQ(config->ReadInt("SoundPriTextLvl", 255), 255) << bad;
    }
}

// --- Lists and the shortcut map -------------------------------------------

TEST_F(ConfigurationTest, ShrinkingListLeavesNoStaleItems)
{
    auto config = Open(kHome);
    std::vector<std::string> twenty;
    for (int i = 1; i <= 20; ++i)
        twenty.push_back("item" + std::to_string(i));
    ASSERT_TRUE(config->WriteList("KeyShortcut", twenty));
    const std::vector<std::string> eighteen(twenty.begin(), twenty.begin() + 18);
    ASSERT_TRUE(config->WriteList("KeyShortcut", eighteen));

    EXPECT_EQ(config->ReadList("KeyShortcut"), eighteen);
    EXPECT_EQ(store->ReadValue(kHome, "KeyShortcutCount"), RegistryValue(std::uint32_t{18}));
    EXPECT_FALSE(store->ReadValue(kHome, "KeyShortcut19").has_value());
    EXPECT_FALSE(store->ReadValue(kHome, "KeyShortcut20").has_value());
}

TEST_F(ConfigurationTest, DefaultShortcutMapAndLookup)
{
    auto config = Open();
    const auto map = config->ShortcutMap();
    ASSERT_EQ(map.size(), 18u);
    EXPECT_EQ(map.front(), "\xe5k=readcomto");
    EXPECT_EQ(config->LookupShortcut("\xe5"), -1);
    EXPECT_EQ(config->LookupShortcut("\xe5k"), 1);
    EXPECT_EQ(config->LookupShortcut("z"), -2);
    EXPECT_EQ(config->LookupShortcut(" "), 14);
    EXPECT_EQ(config->LookupShortcut("t"), -1);
    EXPECT_EQ(config->LookupShortcut("t "), 25);
    EXPECT_EQ(config->LookupShortcut("\xe5p"), 24);
    // The default map lives in memory only until the user saves it.
    EXPECT_FALSE(store->ReadValue(kRoot, "KeyShortcutCount").has_value());
}

TEST_F(ConfigurationTest, SavedShortcutMapIsLoadedPerProfile)
{
    auto home = Open(kHome);
    home->SetShortcutMap({"q=readnext", "xy=gotoconf"});
    ASSERT_TRUE(home->SaveShortcutMap());

    auto again = Open(kHome);
    EXPECT_EQ(again->LookupShortcut("q"), 14);
    EXPECT_EQ(again->LookupShortcut("xy"), 26);
    EXPECT_EQ(again->LookupShortcut("k"), -2);  // the defaults are gone here

    auto root = Open();  // the default profile still has the default map
    EXPECT_EQ(root->LookupShortcut("k"), 2);
    EXPECT_EQ(root->LookupShortcut("q"), -2);
    root->SetProfile(kHome);
    EXPECT_EQ(root->LookupShortcut("q"), 14);
}

TEST_F(ConfigurationTest, MalformedShortcutCountLoadsTheDefaultsWithoutRewritingTheStore)
{
    store->WriteString(kRoot, "KeyShortcutCount", "2");
    store->WriteString(kRoot, "KeyShortcut1", "q=readnext");
    auto config = Open();
    EXPECT_EQ(config->ShortcutMap().size(), 18u);
    EXPECT_EQ(config->LookupShortcut("q"), -2);
    EXPECT_EQ(store->ReadValue(kRoot, "KeyShortcutCount"), RegistryValue(std::string("2")));
}

// --- Password -------------------------------------------------------------

TEST_F(ConfigurationTest, PasswordIsStoredObscuredAndReadBack)
{
    auto config = Open(kHome, "anna");
    ASSERT_TRUE(config->WritePassword("hemligt ord"));
    const auto stored = store->ReadValue(kHome, "Pwd");
    ASSERT_TRUE(stored.has_value());
    const auto& text = std::get<std::string>(*stored);
    EXPECT_EQ(text.size(), 11u);
    EXPECT_EQ(text.find("hemligt"), std::string::npos);
    EXPECT_EQ(config->ReadPassword(), "hemligt ord");
    EXPECT_EQ(Open(kHome, "anna")->ReadPassword(), "hemligt ord");
}

TEST_F(ConfigurationTest, PasswordStoredUnderOneLoginNameDoesNotDecodeUnderAnother)
{
    Open(kHome, "anna")->WritePassword("hemligt ord");
    const std::string other = Open(kHome, "bertil")->ReadPassword();
    ASSERT_EQ(other.size(), 11u);
    EXPECT_NE(other, "hemligt ord");
}

// --- Profiles and durability ------------------------------------------------

TEST_F(ConfigurationTest, ProfilesAreTheRootsSubkeys)
{
    auto config = Open();
    EXPECT_TRUE(config->AddProfile("Work"));
    EXPECT_TRUE(config->AddProfile("Home"));
    EXPECT_TRUE(config->AddProfile("Home"));  // exists already: nothing new
    EXPECT_EQ(config->ProfileNames(), (std::vector<std::string>{"Home", "Work"}));
    EXPECT_EQ(TMiravoConfiguration::ProfilePathFor("Work"), kRoot + "\\Work");
    EXPECT_EQ(TMiravoConfiguration::ProfilePathFor(""), kRoot);

    config->SetProfile("\\" + kRoot + "\\Work");  // a leading backslash is ignored
    EXPECT_EQ(config->ProfilePath(), kRoot + "\\Work");
    EXPECT_FALSE(config->IsDefaultProfile());
    config->WriteString("User", "w");
    EXPECT_TRUE(config->RemoveProfile("Work"));
    EXPECT_EQ(config->ProfileNames(), (std::vector<std::string>{"Home"}));
    EXPECT_FALSE(store->ReadValue(kRoot + "\\Work", "User").has_value());
}

TEST_F(ConfigurationTest, NamesThatAreNotOneProfileAreRefused)
{
    auto config = Open();
    config->WriteString("Server", "keep.me");
    EXPECT_FALSE(config->RemoveProfile(""));  // would be every setting there is
    EXPECT_FALSE(config->AddProfile(""));
    EXPECT_FALSE(config->AddProfile("a\\b"));
    EXPECT_FALSE(config->RemoveProfile("a\\b"));
    EXPECT_EQ(config->ReadString("Server", ""), "keep.me");
    EXPECT_TRUE(config->ProfileNames().empty());
}

TEST_F(ConfigurationTest, EveryWriteCommitsUnlessBatched)
{
    auto config = Open();
    const int before = store->SaveCount();
    config->WriteString("User", "a");
    config->WriteFlag("SavePwd", true);
    EXPECT_EQ(store->SaveCount(), before + 2);
    {
        TMiravoConfiguration::Batch batch(*config);
        config->WriteString("User", "b");
        {
            TMiravoConfiguration::Batch inner(*config);
            config->SaveShortcutMap();
        }
        config->WriteTriState("UseProxy", TriState::Checked);
        EXPECT_EQ(store->SaveCount(), before + 2);
    }
    EXPECT_EQ(store->SaveCount(), before + 3);
    { TMiravoConfiguration::Batch idle(*config); }
    EXPECT_EQ(store->SaveCount(), before + 3);  // nothing written, nothing saved
}

TEST_F(ConfigurationTest, ConcurrentReadersAlwaysSeeAWholeValue)
{
    auto config = Open(kHome);
    store->WriteString(kRoot, "Server", "root");
    const std::string a(200, 'a');
    const std::string b(200, 'b');
    std::atomic<bool> bad{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            config->WriteString("User", i % 2 ? a : b);
            config->SetInherit(i % 3 != 0);
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i) {
            const auto v = config->ReadString("User", "");
            if (!v.empty() && v != a && v != b)
                bad = true;
        }
    });
    writer.join();
    reader.join();
    EXPECT_FALSE(bad);
}

} // namespace
} // namespace pellar
