// A saved password and the keyring, through a double of the keyring port:
// it goes there when the keyring takes it and stays out of the settings;
// an older obscured one moves there; turning saving off removes it from
// both; with no keyring answering, the obscured form in the settings holds it.
#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/config/PasswordObscuring.h"
#include "core/config/SettingsPages.h"
#include "core/config/TMiravoConfiguration.h"
#include "support/FakeSecretStore.h"

#include <gtest/gtest.h>

#include <map>

namespace pellar {
namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);
const std::string kHome = kRoot + "\\Home";

class PasswordKeyringTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryRegistryBackend> store = std::make_shared<MemoryRegistryBackend>();
    std::shared_ptr<test::FakeSecretStore> keyring = std::make_shared<test::FakeSecretStore>();

    std::unique_ptr<TMiravoConfiguration> Open(const std::string& profile, bool withKeyring = true)
    {
        auto config = std::make_unique<TMiravoConfiguration>(store, "anna");
        if (withKeyring)
            config->SetSecretStore(keyring);
        config->SetProfile(profile);
        return config;
    }

    // The profile with a server and a user, saving its password.
    std::unique_ptr<TMiravoConfiguration> Described(const std::string& profile, bool withKeyring = true)
    {
        auto config = Open(profile, withKeyring);
        config->WriteString(ConfigKeys::Server, "news.example.org");
        config->WriteString(ConfigKeys::Port, "4894");
        config->WriteString(ConfigKeys::User, "Anna Berg");
        config->WriteFlag(ConfigKeys::SavePwd, true);
        return config;
    }

    std::string Pwd(const std::string& path) const
    {
        const auto value = store->ReadValue(path, ConfigKeys::Pwd);
        const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
        return text ? *text : std::string();
    }
};

TEST_F(PasswordKeyringTest, StoredInTheKeyringByProfileServerAndUserAndReadBack)
{
    auto home = Described(kHome);
    ASSERT_TRUE(home->WritePassword("hemligt"));
    EXPECT_EQ(Pwd(kHome), "");
    ASSERT_EQ(keyring->entries.size(), 1u);
    const std::string key = keyring->entries.begin()->first;
    for (const char* part : {"Home", "Anna Berg", "news.example.org"})
        EXPECT_NE(key.find(part), std::string::npos) << key;
    // The port is no part of the key: the server moving to another port
    // finds the same entry and leaves none behind.
    EXPECT_EQ(key.find("4894"), std::string::npos) << key;
    home->WriteString(ConfigKeys::Port, "4895");
    EXPECT_EQ(home->ReadPassword(), "hemligt");
    home->WritePassword("hemligt");
    EXPECT_EQ(keyring->entries.size(), 1u);
    EXPECT_EQ(keyring->entries.begin()->second, "hemligt");
    EXPECT_EQ(Open(kHome)->ReadPassword(), "hemligt");
    EXPECT_EQ(home->WherePasswordIs(), TMiravoConfiguration::PasswordPlace::Keyring);

    // Another profile with the same server and user has an entry of its own.
    auto work = Described(kRoot + "\\Work");
    EXPECT_EQ(work->ReadPassword(), "");
    work->WritePassword("annat");
    EXPECT_EQ(keyring->entries.size(), 2u);
    EXPECT_EQ(Open(kHome)->ReadPassword(), "hemligt");
}

TEST_F(PasswordKeyringTest, AnOlderObscuredPasswordMovesIntoTheKeyringAndLeavesTheSettings)
{
    auto older = Described(kHome, false);
    older->WritePassword("hemligt");
    ASSERT_EQ(UnobscurePassword(Pwd(kHome), "anna"), "hemligt");

    auto config = Open(kHome);
    EXPECT_EQ(config->WherePasswordIs(), TMiravoConfiguration::PasswordPlace::SettingsFile);
    EXPECT_EQ(config->ReadPassword(), "hemligt");
    ASSERT_TRUE(config->MovePasswordToKeyring());
    EXPECT_EQ(Pwd(kHome), "");
    EXPECT_EQ(keyring->entries[config->PasswordKey()], "hemligt");
    EXPECT_EQ(config->ReadPassword(), "hemligt");
    // Nothing left to move.
    EXPECT_FALSE(config->MovePasswordToKeyring());
}

TEST_F(PasswordKeyringTest, AnEntryUnderTheOlderKeyWithThePortIsFoundAndMovedToTheNewKey)
{
    auto config = Described(kHome);
    keyring->entries["Pellar " + kHome + " Anna Berg@news.example.org:4894"] = "hemligt";
    EXPECT_EQ(config->OlderPasswordKey(), "Pellar " + kHome + " Anna Berg@news.example.org:4894");
    EXPECT_EQ(config->WherePasswordIs(), TMiravoConfiguration::PasswordPlace::Keyring);
    EXPECT_EQ(config->ReadPassword(), "hemligt");
    ASSERT_EQ(keyring->entries.size(), 1u);
    EXPECT_EQ(keyring->entries.begin()->first, config->PasswordKey());
    EXPECT_EQ(keyring->entries.begin()->second, "hemligt");

    // Forgetting it leaves neither form behind.
    keyring->entries[config->OlderPasswordKey()] = "older";
    config->ForgetPassword();
    EXPECT_TRUE(keyring->entries.empty());
}

TEST_F(PasswordKeyringTest, APasswordThatIsNoSecretNeverTouchesTheKeyring)
{
    auto config = Described(kHome);
    config->WriteFlag(ConfigKeys::PwdNotSecret, true);
    ASSERT_TRUE(config->WritePassword("demo"));
    EXPECT_EQ(UnobscurePassword(Pwd(kHome), "anna"), "demo");
    EXPECT_EQ(config->ReadPassword(), "demo");
    EXPECT_EQ(config->WherePasswordIs(), TMiravoConfiguration::PasswordPlace::SettingsFile);
    EXPECT_FALSE(config->MovePasswordToKeyring());
    EXPECT_FALSE(config->KeyringAnswers());
    config->ForgetPassword();
    EXPECT_EQ(config->ReadPassword(), "");
    EXPECT_EQ(keyring->calls, 0);
    EXPECT_TRUE(keyring->entries.empty());
}

TEST_F(PasswordKeyringTest, APasswordInheritedFromTheDefaultProfileStaysWhereItIs)
{
    auto root = Described(kRoot, false);
    root->WritePassword("hemligt");
    auto home = Open(kHome);
    EXPECT_EQ(home->ReadPassword(), "hemligt");
    EXPECT_FALSE(home->MovePasswordToKeyring());
    EXPECT_FALSE(Pwd(kRoot).empty());
    EXPECT_TRUE(keyring->entries.empty());
}

TEST_F(PasswordKeyringTest, SavingTurnedOffRemovesItFromBothPlaces)
{
    auto config = Described(kHome);
    config->WritePassword("hemligt");
    store->WriteString(kHome, ConfigKeys::Pwd, ObscurePassword("older", "anna"));  // both hold one

    config->SetInherit(false);
    SettingsPages pages = LoadSettingsPages(*config);
    const SettingsPages loaded = pages;
    pages.savePassword = TriState::Unchecked;
    SaveSettingsPages(*config, pages, loaded);
    EXPECT_EQ(Pwd(kHome), "");
    EXPECT_TRUE(keyring->entries.empty());
    EXPECT_EQ(config->ReadPassword(), "");
    EXPECT_EQ(config->WherePasswordIs(), TMiravoConfiguration::PasswordPlace::Nowhere);
}

TEST_F(PasswordKeyringTest, ChangingServerOrUserMovesTheEntryToTheNewKey)
{
    auto config = Described(kHome);
    config->WritePassword("hemligt");
    const std::string oldKey = config->PasswordKey();

    config->SetInherit(false);
    SettingsPages pages = LoadSettingsPages(*config);
    ASSERT_EQ(pages.password, "hemligt");
    const SettingsPages loaded = pages;
    pages.user = "Anna B";
    SaveSettingsPages(*config, pages, loaded);
    EXPECT_EQ(keyring->entries.count(oldKey), 0u);
    EXPECT_NE(config->PasswordKey(), oldKey);
    EXPECT_EQ(keyring->entries[config->PasswordKey()], "hemligt");
}

TEST_F(PasswordKeyringTest, WithNoKeyringAnsweringTheObscuredFormHoldsItAndTheNoteSaysSo)
{
    keyring->answering = false;
    auto config = Described(kHome);
    ASSERT_TRUE(config->WritePassword("hemligt"));
    EXPECT_EQ(UnobscurePassword(Pwd(kHome), "anna"), "hemligt");
    EXPECT_EQ(config->ReadPassword(), "hemligt");
    EXPECT_FALSE(config->MovePasswordToKeyring());
    EXPECT_FALSE(Pwd(kHome).empty());

    config->SetInherit(false);
    const SettingsPages pages = LoadSettingsPages(*config);
    EXPECT_EQ(pages.passwordPlace, TMiravoConfiguration::PasswordPlace::SettingsFile);
    EXPECT_FALSE(pages.keyringAnswers);
    const std::string note = PasswordPlaceNote(pages.passwordPlace, pages.keyringAnswers);
    EXPECT_NE(note.find("No keyring answers"), std::string::npos) << note;
    EXPECT_NE(note.find("settings file"), std::string::npos) << note;

    // Once one answers, the note says where it will go.
    keyring->answering = true;
    EXPECT_NE(PasswordPlaceNote(config->WherePasswordIs(), config->KeyringAnswers()).find("moves into the desktop's keyring"),
              std::string::npos);
    EXPECT_EQ(PasswordPlaceNote(TMiravoConfiguration::PasswordPlace::Keyring, true),
              "The password is kept in the desktop's keyring.");
}

TEST_F(PasswordKeyringTest, WithoutAKeyringNothingChangesForTheSettings)
{
    auto config = Described(kHome, false);
    config->WritePassword("hemligt");
    EXPECT_EQ(UnobscurePassword(Pwd(kHome), "anna"), "hemligt");
    EXPECT_FALSE(config->KeyringAnswers());
    EXPECT_EQ(keyring->calls, 0);
}

} // namespace
} // namespace pellar
