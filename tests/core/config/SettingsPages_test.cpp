#include "core/config/SettingsPages.h"

#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/config/PasswordObscuring.h"
#include "core/config/ShortcutMap.h"

#include <gtest/gtest.h>

#include <map>

namespace pellar {
namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);
const std::string kHome = kRoot + "\\Home";

class SettingsPagesTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryRegistryBackend> store = std::make_shared<MemoryRegistryBackend>();

    // As the dialog sees a profile: inheritance off.
    std::unique_ptr<TMiravoConfiguration> Open(const std::string& profile)
    {
        auto config = std::make_unique<TMiravoConfiguration>(store, "anna");
        config->SetProfile(profile);
        config->SetInherit(false);
        return config;
    }

    std::optional<std::string> Stored(const std::string& path, const std::string& name) const
    {
        const auto value = store->ReadValue(path, name);
        if (!value)
            return std::nullopt;
        const auto* text = std::get_if<std::string>(&*value);
        return text ? std::optional<std::string>(*text) : std::nullopt;
    }
};

TEST_F(SettingsPagesTest, EmptyDefaultProfileShowsTheProgramDefaults)
{
    auto config = Open(kRoot);
    const SettingsPages p = LoadSettingsPages(*config);
    EXPECT_FALSE(p.namedProfile);
    EXPECT_EQ(p.host, kDefaultServerHost);
    EXPECT_EQ(p.port, "4894");
    EXPECT_EQ(p.user, "");
    EXPECT_EQ(p.savePassword, TriState::Unchecked);
    EXPECT_EQ(p.useProxy, TriState::Unchecked);
    // Only the tray alert for a personal message is on.
    for (int i = 0; i < kAlertFlagCount; ++i)
        EXPECT_EQ(p.alertFlags[i], AlertFlagKeys()[i] == ConfigKeys::TrayPersMsg ? TriState::Checked
                                                                                 : TriState::Unchecked)
            << AlertFlagKeys()[i];
    EXPECT_EQ(p.alertLevels, (std::array<std::string, 3>{"240", "150", "250"}));
    EXPECT_EQ(p.filterAddedTexts, TriState::Checked);
    EXPECT_EQ(p.showSubjTree, TriState::Checked);
    EXPECT_EQ(p.markReadTexts, TriState::Checked);
    EXPECT_EQ(p.automaticLineWrap, TriState::Unchecked);
    EXPECT_EQ(p.alignTextsToTop, TriState::Checked);
    EXPECT_EQ(p.showCommentedText, TriState::Checked);
    EXPECT_EQ(p.startWindowSizeMode, 2);
    EXPECT_EQ(p.fonts[0], "MS Sans Serif;11;$80000008;");
    EXPECT_EQ(p.fonts[1], "Courier New;10;$80000008;");
    EXPECT_EQ(p.fonts[2], "MS Sans Serif;10;$80000008;B");
    EXPECT_EQ(ShortcutMapFromRows(p.shortcuts), DefaultShortcutMap());
}

TEST_F(SettingsPagesTest, ActivityRowsShowOnlyStoredMessages)
{
    store->WriteString(kRoot, "Activity-read", "");
    store->WriteString(kRoot, "Activity-wait", "Coffee");
    store->WriteString(kHome, "Activity-wait", "Lunch");
    {
        const SettingsPages p = LoadSettingsPages(*Open(kRoot));
        ASSERT_EQ(p.activities.size(), 7u);
        // No message is told to the server until one is written: the
        // description stands beside an empty message.
        EXPECT_EQ(p.activities[0], (ActivityRow{"add", "Submitting a new text", ""}));
        EXPECT_EQ(p.activities[2], (ActivityRow{"override", "Override", ""}));
        EXPECT_EQ(p.activities[3].message, "");
        EXPECT_EQ(p.activities[4].message, "Coffee");
        EXPECT_EQ(p.activities[6].key, "writecomment");
    }
    {
        const SettingsPages p = LoadSettingsPages(*Open(kHome));
        EXPECT_EQ(p.activities[0].message, "");
        EXPECT_EQ(p.activities[3].message, "");
        EXPECT_EQ(p.activities[4].message, "Lunch");
    }
}

TEST_F(SettingsPagesTest, NamedProfileShowsUnsetValuesAsUnsetAndSavesThemEmpty)
{
    store->WriteString(kRoot, "Server", "root.example");
    store->WriteString(kRoot, "SoundAllMsg", "1");
    store->WriteString(kRoot, "HeaderFont", "Arial;12;$0;I");
    store->WriteString(kRoot, "StartWindowSizeMode", "0");
    store->WriteString(kHome, "TrayAllMsg", "0");
    auto config = Open(kHome);
    const SettingsPages loaded = LoadSettingsPages(*config);
    EXPECT_TRUE(loaded.namedProfile);
    EXPECT_EQ(loaded.host, "");
    EXPECT_EQ(loaded.port, "");
    EXPECT_EQ(loaded.alertLevels[0], "");
    EXPECT_EQ(loaded.alertFlags[0], TriState::Grayed);
    EXPECT_EQ(loaded.alertFlags[3], TriState::Unchecked);
    EXPECT_EQ(loaded.filterAddedTexts, TriState::Grayed);
    // What cannot be shown as unset shows what the profile inherits.
    EXPECT_EQ(loaded.fonts[0], "Arial;12;$0;I");
    EXPECT_FALSE(loaded.ownFonts[0]);
    EXPECT_EQ(loaded.startWindowSizeMode, 0);
    EXPECT_FALSE(loaded.ownStartWindowSizeMode);

    SaveSettingsPages(*config, loaded, loaded);
    EXPECT_EQ(Stored(kHome, "Server"), "");
    EXPECT_EQ(Stored(kHome, "SoundAllMsg"), "");
    EXPECT_EQ(Stored(kHome, "TrayAllMsg"), "0");
    EXPECT_EQ(Stored(kHome, "FilterAddedTexts"), "");
    EXPECT_EQ(Stored(kHome, "HeaderFont"), "");
    EXPECT_EQ(Stored(kHome, "StartWindowSizeMode"), "");
    // ... so that with inheritance the profile still follows the default one.
    config->SetInherit(true);
    EXPECT_TRUE(config->ReadFlag("SoundAllMsg", false));
    EXPECT_EQ(config->ReadString("HeaderFont", ""), "Arial;12;$0;I");

    // A value changed by the user becomes the profile's own.
    SettingsPages edited = loaded;
    edited.fonts[0] = "Arial;14;$0;I";
    edited.startWindowSizeMode = 1;
    edited.fonts[1] = loaded.fonts[1];
    SaveSettingsPages(*config, edited, loaded);
    EXPECT_EQ(Stored(kHome, "HeaderFont"), "Arial;14;$0;I");
    EXPECT_EQ(Stored(kHome, "StartWindowSizeMode"), "1");
    EXPECT_EQ(Stored(kHome, "BodyFont"), "");
}

TEST_F(SettingsPagesTest, DefaultProfileWritesEveryValueItShows)
{
    auto config = Open(kRoot);
    const SettingsPages loaded = LoadSettingsPages(*config);
    SaveSettingsPages(*config, loaded, loaded);
    EXPECT_EQ(Stored(kRoot, "Server"), std::string(kDefaultServerHost));
    EXPECT_EQ(Stored(kRoot, "SoundPriTextLvl"), "240");
    EXPECT_EQ(Stored(kRoot, "StartWindowSizeMode"), "2");
    EXPECT_EQ(Stored(kRoot, "BodyFont"), "Courier New;10;$80000008;");
    EXPECT_EQ(Stored(kRoot, "Activity-override"), "");
    EXPECT_EQ(Stored(kRoot, "Activity-write"), "");
    EXPECT_EQ(store->ReadValue(kRoot, "KeyShortcutCount"), RegistryValue(std::uint32_t{18}));
    // One commit for the whole dialog.
    EXPECT_EQ(store->SaveCount(), 1);
}

// What every reader gets for every value the table knows, as a session reads
// it (inheriting from the default profile); an empty value is unset, and the
// readers take the default for it.
std::map<std::string, std::string> ValuesInEffect(const std::shared_ptr<MemoryRegistryBackend>& store,
                                                  const std::string& profile)
{
    TMiravoConfiguration config(store, "anna");
    config.SetProfile(profile);
    config.SetInherit(true);
    std::map<std::string, std::string> values;
    for (const ConfigKeyInfo& info : ConfigKeyTable()) {
        if (info.kind == ConfigKeyKind::List)
            continue;
        const std::string name =
            info.kind == ConfigKeyKind::ColumnPrefix ? info.name + "0" : info.name;
        const std::string value = config.ReadString(name, "");
        values[name] = value.empty() ? ConfigDefault(name) : value;
    }
    values["(shortcuts)"] = ::testing::PrintToString(config.ShortcutMap());
    return values;
}

TEST_F(SettingsPagesTest, SavingWhatWasLoadedChangesNoValueInEffect)
{
    // A fresh store; a default profile someone already set up; and a named
    // profile as the demo writes it, inheriting the rest.
    struct Case {
        const char* what;
        std::string profile;
        std::vector<std::pair<std::string, std::string>> rootValues, ownValues;
    };
    const std::vector<Case> cases = {
        {"fresh default profile", kRoot, {}, {}},
        {"used default profile",
         kRoot,
         {{"Server", "conf.example"}, {"SoundAllMsg", "1"}, {"TrayPersMsg", "0"}, {"ShowSubjTree", "0"},
          {"Activity-read", "Lunch"}, {"TrayPriTextLvl", "99"}},
         {}},
        {"fresh named profile", kHome, {}, {}},
        {"demo-like named profile",
         kHome,
         {{"FocusAllMsg", "1"}, {"ShowCommentedText", "0"}},
         {{"Server", "127.0.0.1"}, {"Port", "4900"}, {"UseTls", "1"}, {"User", "Demo"},
          {"Charset", "UTF-8"}, {"SavePwd", "1"}, {"UseProxy", "0"}, {"TrayPersMsg", "1"},
          {"WindowPosWidth", "960"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store = std::make_shared<MemoryRegistryBackend>();
        for (const auto& [name, value] : c.rootValues)
            store->WriteString(kRoot, name, value);
        for (const auto& [name, value] : c.ownValues)
            store->WriteString(c.profile, name, value);
        const auto before = ValuesInEffect(store, c.profile);
        {
            auto config = Open(c.profile);
            const SettingsPages loaded = LoadSettingsPages(*config);
            SaveSettingsPages(*config, loaded, loaded);
        }
        const auto after = ValuesInEffect(store, c.profile);
        ASSERT_EQ(before.size(), after.size());
        for (const auto& [name, value] : before)
            EXPECT_EQ(after.at(name), value) << name;
    }
}

TEST_F(SettingsPagesTest, PasswordIsKeptObscuredOnlyWhenSaving)
{
    auto config = Open(kRoot);
    SettingsPages p = LoadSettingsPages(*config);
    p.password = "hemligt";
    p.savePassword = TriState::Checked;
    SaveSettingsPages(*config, p, p);
    const auto stored = Stored(kRoot, "Pwd");
    ASSERT_TRUE(stored);
    EXPECT_NE(*stored, "hemligt");
    EXPECT_EQ(UnobscurePassword(*stored, "anna"), "hemligt");
    EXPECT_EQ(LoadSettingsPages(*config).password, "hemligt");

    for (const TriState off : {TriState::Unchecked, TriState::Grayed}) {
        SaveSettingsPages(*config, p, p);
        p.savePassword = off;
        SaveSettingsPages(*config, p, p);
        EXPECT_EQ(Stored(kRoot, "Pwd"), "");
        p.savePassword = TriState::Checked;
    }
}

TEST_F(SettingsPagesTest, TextsAreStoredAsTypedAndBadSizesFallBack)
{
    auto config = Open(kRoot);
    SettingsPages p = LoadSettingsPages(*config);
    p.port = " 48x ";
    p.alertLevels[1] = "high";
    SaveSettingsPages(*config, p, p);
    EXPECT_EQ(Stored(kRoot, "Port"), " 48x ");
    EXPECT_EQ(Stored(kRoot, "TrayPriTextLvl"), "high");

    for (const char* bad : {"x", "7", "-1"}) {
        store->WriteString(kRoot, "StartWindowSizeMode", bad);
        EXPECT_EQ(LoadSettingsPages(*config).startWindowSizeMode, 2) << bad;
    }
    store->WriteString(kRoot, "StartWindowSizeMode", "1");
    EXPECT_EQ(LoadSettingsPages(*config).startWindowSizeMode, 1);
}

// MessagesKept, AnswerTimeout and PrefetchAll were read long before the
// dialog showed them: a profile keeps following the program's defaults
// until the user changes one.
TEST_F(SettingsPagesTest, ReadingSettingsRoundTripInTheDefaultProfile)
{
    auto config = Open(kRoot);
    const SettingsPages fresh = LoadSettingsPages(*config);
    EXPECT_EQ(fresh.messagesKept, "5000");
    EXPECT_EQ(fresh.answerTimeout, "30");
    EXPECT_EQ(fresh.prefetchAll, PrefetchChoice::Automatic);
    SaveSettingsPages(*config, fresh, fresh);
    for (const char* key : {"MessagesKept", "AnswerTimeout", "PrefetchAll"})
        EXPECT_EQ(Stored(kRoot, key), std::nullopt) << key;

    SettingsPages edited = fresh;
    edited.messagesKept = "800";
    edited.answerTimeout = "12";
    edited.prefetchAll = PrefetchChoice::Always;
    SaveSettingsPages(*config, edited, fresh);
    EXPECT_EQ(Stored(kRoot, "MessagesKept"), "800");
    EXPECT_EQ(Stored(kRoot, "AnswerTimeout"), "12");
    EXPECT_EQ(Stored(kRoot, "PrefetchAll"), "1");
    const SettingsPages again = LoadSettingsPages(*config);
    EXPECT_EQ(again.messagesKept, "800");
    EXPECT_EQ(again.answerTimeout, "12");
    EXPECT_EQ(again.prefetchAll, PrefetchChoice::Always);

    // Each choice is written as the reader of PrefetchAll takes it.
    for (const auto& [choice, value] : {std::pair{PrefetchChoice::NextOnly, "0"},
                                        std::pair{PrefetchChoice::Automatic, ""},
                                        std::pair{PrefetchChoice::Always, "1"}}) {
        const SettingsPages before = LoadSettingsPages(*config);
        SettingsPages next = before;
        next.prefetchAll = choice;
        SaveSettingsPages(*config, next, before);
        EXPECT_EQ(Stored(kRoot, "PrefetchAll"), value);
        EXPECT_EQ(LoadSettingsPages(*config).prefetchAll, choice);
    }

    // Emptied: the program's defaults again.
    SettingsPages cleared = LoadSettingsPages(*config);
    cleared.messagesKept.clear();
    cleared.answerTimeout.clear();
    SaveSettingsPages(*config, cleared, LoadSettingsPages(*config));
    EXPECT_EQ(config->ReadInt("MessagesKept", 5000), 5000);
    EXPECT_EQ(config->ReadInt("AnswerTimeout", 30), 30);
}

TEST_F(SettingsPagesTest, ReadingSettingsOfANamedProfileFollowTheDefaultOneUntilSet)
{
    store->WriteString(kRoot, "MessagesKept", "700");
    store->WriteString(kRoot, "AnswerTimeout", "20");
    store->WriteString(kRoot, "PrefetchAll", "0");
    auto config = Open(kHome);
    const SettingsPages loaded = LoadSettingsPages(*config);
    EXPECT_EQ(loaded.messagesKept, "");
    EXPECT_EQ(loaded.answerTimeout, "");
    EXPECT_EQ(loaded.prefetchAll, PrefetchChoice::AsDefaultProfile);
    SaveSettingsPages(*config, loaded, loaded);
    for (const char* key : {"MessagesKept", "AnswerTimeout", "PrefetchAll"})
        EXPECT_EQ(Stored(kHome, key), std::nullopt) << key;

    // Automatic of its own must not read as the default profile's "0".
    SettingsPages own = loaded;
    own.prefetchAll = PrefetchChoice::Automatic;
    own.messagesKept = "300";
    own.answerTimeout = "45";
    SaveSettingsPages(*config, own, loaded);
    EXPECT_EQ(Stored(kHome, "PrefetchAll"), "auto");
    EXPECT_EQ(Stored(kHome, "MessagesKept"), "300");
    const SettingsPages reloaded = LoadSettingsPages(*config);
    EXPECT_EQ(reloaded.prefetchAll, PrefetchChoice::Automatic);
    EXPECT_EQ(reloaded.messagesKept, "300");
    EXPECT_EQ(reloaded.answerTimeout, "45");
    config->SetInherit(true);
    EXPECT_EQ(config->ReadString("PrefetchAll", ""), "auto");
    EXPECT_EQ(config->ReadInt("MessagesKept", 5000), 300);

    // Back to "as the default profile": emptied, and the default's values apply.
    config->SetInherit(false);
    SettingsPages back = reloaded;
    back.prefetchAll = PrefetchChoice::AsDefaultProfile;
    back.messagesKept.clear();
    back.answerTimeout.clear();
    SaveSettingsPages(*config, back, reloaded);
    EXPECT_EQ(Stored(kHome, "PrefetchAll"), "");
    config->SetInherit(true);
    EXPECT_EQ(config->ReadString("PrefetchAll", ""), "0");
    EXPECT_EQ(config->ReadInt("MessagesKept", 5000), 700);
    EXPECT_EQ(config->ReadInt("AnswerTimeout", 30), 20);
}

TEST_F(SettingsPagesTest, CheckedNumbersRefuseWhatIsOutOfRange)
{
    struct Row {
        const char* kept;
        const char* timeout;
        const char* refusedKey;  // nullptr: accepted
    };
    const Row rows[] = {
        {"5000", "30", nullptr}, {"", "", nullptr},         {"100", "5", nullptr},
        {"100000", "600", nullptr}, {"99", "30", "MessagesKept"}, {"100001", "30", "MessagesKept"},
        {"abc", "30", "MessagesKept"}, {"12x", "30", "MessagesKept"}, {"-5", "30", "MessagesKept"},
        {"5000", "4", "AnswerTimeout"}, {"5000", "601", "AnswerTimeout"}, {"5000", "1e3", "AnswerTimeout"},
        {"99999999999", "30", "MessagesKept"},
    };
    SettingsPages p = LoadSettingsPages(*Open(kRoot));
    for (const Row& row : rows) {
        p.messagesKept = row.kept;
        p.answerTimeout = row.timeout;
        const auto problem = FindNumberProblem(p);
        if (!row.refusedKey) {
            EXPECT_EQ(problem, std::nullopt) << row.kept << " " << row.timeout;
            continue;
        }
        ASSERT_TRUE(problem) << row.kept << " " << row.timeout;
        EXPECT_EQ(problem->key, row.refusedKey);
        const std::string typed = problem->key == "MessagesKept" ? row.kept : row.timeout;
        EXPECT_NE(problem->message.find("\"" + typed + "\""), std::string::npos) << problem->message;
        EXPECT_NE(problem->message.find(problem->key == "MessagesKept" ? "100 to 100000" : "5 to 600"),
                  std::string::npos)
            << problem->message;
    }
    // Both wrong: the General page's field is named first.
    p.messagesKept = "1";
    p.answerTimeout = "0";
    EXPECT_EQ(FindNumberProblem(p)->key, "AnswerTimeout");
    p.namedProfile = true;
    EXPECT_NE(FindNumberProblem(p)->message.find("follow the default profile"), std::string::npos);
}

TEST_F(SettingsPagesTest, PrefetchValuesReadAsTheReaderTakesThem)
{
    EXPECT_EQ(PrefetchChoiceOf("1", false), PrefetchChoice::Always);
    EXPECT_EQ(PrefetchChoiceOf("0", true), PrefetchChoice::NextOnly);
    EXPECT_EQ(PrefetchChoiceOf("", false), PrefetchChoice::Automatic);
    EXPECT_EQ(PrefetchChoiceOf("", true), PrefetchChoice::AsDefaultProfile);
    // The reader takes anything but "1" and "0" as automatic.
    EXPECT_EQ(PrefetchChoiceOf("yes", false), PrefetchChoice::Automatic);
    EXPECT_EQ(PrefetchChoiceOf("auto", true), PrefetchChoice::Automatic);
    for (const bool named : {false, true})
        for (const PrefetchChoice choice : {PrefetchChoice::Automatic, PrefetchChoice::Always, PrefetchChoice::NextOnly})
            EXPECT_EQ(PrefetchChoiceOf(PrefetchValueOf(choice, named), named), choice);
}

TEST_F(SettingsPagesTest, ShortcutRowsKeepKeysAndUnknownCommands)
{
    const std::vector<std::string> map = {"\xe5k=readcomto", " =readnext", "a=b=writetext", "zz=nosuchcommand"};
    const auto rows = ShortcutRowsFromMap(map);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (ShortcutRow{"\xe5k", "readcomto"}));
    EXPECT_EQ(rows[1], (ShortcutRow{" ", "readnext"}));
    EXPECT_EQ(rows[2], (ShortcutRow{"a=b", "writetext"}));
    EXPECT_EQ(ShortcutMapFromRows(rows), map);

    auto config = Open(kHome);
    SettingsPages p = LoadSettingsPages(*config);
    p.shortcuts = rows;
    SaveSettingsPages(*config, p, p);
    EXPECT_EQ(config->ShortcutMap(), map);
    EXPECT_EQ(Open(kHome)->ShortcutMap(), map);
    EXPECT_EQ(Open(kHome)->LookupShortcut(" "), 14);
}

} // namespace
} // namespace pellar
