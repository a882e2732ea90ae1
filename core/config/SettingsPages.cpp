#include "core/config/SettingsPages.h"

#include "core/config/ConfigKeys.h"
#include "core/config/ShortcutMap.h"
#include "core/commands/MiravoTables.h"
#include "core/wire/WireTokens.h"

#include <charconv>

namespace pellar {

namespace {

namespace C = ConfigKeys;

// A text field: the program's default in the default profile, empty (not set)
// in a named one.
std::string LoadText(const TMiravoConfiguration& config, std::string_view key, bool named)
{
    return config.ReadString(key, named ? std::string() : ConfigDefault(key));
}

TriState LoadFlag(const TMiravoConfiguration& config, std::string_view key, bool named)
{
    if (named)
        return config.ReadTriState(key, TriState::Grayed);
    return config.ReadTriState(key, ConfigDefault(key) == "1" ? TriState::Checked : TriState::Unchecked);
}

// The profile's own value, and whether it has one; a named profile without
// one gets what it would inherit, so that the page shows what is in effect.
std::string LoadInheritable(TMiravoConfiguration& config, std::string_view key, std::string_view def, bool& own)
{
    std::string value = config.ReadString(key, "");
    own = !value.empty() || config.IsDefaultProfile();
    if (!own) {
        const bool inherit = config.Inherit();
        config.SetInherit(true);
        value = config.ReadString(key, "");
        config.SetInherit(inherit);
    }
    if (value.empty())
        value = std::string(def);
    return value;
}

// The settings that came before the dialog showed them are written only when
// the user changed them: a profile that never held one keeps following the
// program's default instead of freezing today's.
void WriteIfChanged(TMiravoConfiguration& config, std::string_view key, const std::string& value,
                    const std::string& loaded)
{
    if (value != loaded)
        config.WriteString(key, value);
}

int ParseIntOr(const std::string& text, int def)
{
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return def;
    return number;
}

} // namespace

const std::array<std::string_view, kAlertFlagCount>& AlertFlagKeys()
{
    static const std::array<std::string_view, kAlertFlagCount> keys = {
        C::SoundAllMsg, C::SoundPersMsg, C::SoundPriText, C::TrayAllMsg, C::TrayPersMsg,
        C::TrayPriText, C::FocusAllMsg,  C::FocusPersMsg, C::FocusPriText,
    };
    return keys;
}

const std::array<std::string_view, kAlertLevelCount>& AlertLevelKeys()
{
    static const std::array<std::string_view, kAlertLevelCount> keys = {
        C::SoundPriTextLvl, C::TrayPriTextLvl, C::FocusPriTextLvl};
    return keys;
}

const std::array<std::string_view, kFontRegionCount>& FontRegionKeys()
{
    static const std::array<std::string_view, kFontRegionCount> keys = {C::HeaderFont, C::BodyFont, C::MessageFont};
    return keys;
}

const std::array<std::string_view, kFontRegionCount>& DefaultRegionFonts()
{
    static const std::array<std::string_view, kFontRegionCount> fonts = {
        kDefaultHeaderFont, kDefaultBodyFont, kDefaultMessageFont};
    return fonts;
}

const std::array<NumberSetting, 2>& CheckedNumberSettings()
{
    // Fewer lines than a screenful of messages is useless, more than this
    // many takes memory a flood should not get. A logon wait under five
    // seconds fails on a slow link; over ten minutes nobody waits.
    static const std::array<NumberSetting, 2> settings = {{
        {C::AnswerTimeout, "Wait for the server's answer (seconds)", 5, 600},
        {C::MessagesKept, "Messages window keeps (lines)", 100, 100000},
    }};
    return settings;
}

std::optional<SettingsProblem> FindNumberProblem(const SettingsPages& p)
{
    for (const NumberSetting& setting : CheckedNumberSettings()) {
        const std::string& text = setting.key == C::AnswerTimeout ? p.answerTimeout : p.messagesKept;
        if (text.empty())
            continue;
        const int number = ParseIntOr(text, setting.min - 1);
        if (number >= setting.min && number <= setting.max)
            continue;
        std::string message = std::string(setting.label) + ": \"" + text + "\" is not a whole number from " +
                              std::to_string(setting.min) + " to " + std::to_string(setting.max) + ". Leave it empty ";
        message += p.namedProfile ? "to follow the default profile." : "for the program's default.";
        return SettingsProblem{std::string(setting.key), std::move(message)};
    }
    return std::nullopt;
}

PrefetchChoice PrefetchChoiceOf(std::string_view stored, bool namedProfile)
{
    if (stored == "1")
        return PrefetchChoice::Always;
    if (stored == "0")
        return PrefetchChoice::NextOnly;
    if (stored.empty() && namedProfile)
        return PrefetchChoice::AsDefaultProfile;
    // Anything else reads as automatic: the readers decide by the link.
    return PrefetchChoice::Automatic;
}

std::string PrefetchValueOf(PrefetchChoice choice, bool namedProfile)
{
    switch (choice) {
    case PrefetchChoice::Always:
        return "1";
    case PrefetchChoice::NextOnly:
        return "0";
    case PrefetchChoice::Automatic:
        return namedProfile ? "auto" : "";
    case PrefetchChoice::AsDefaultProfile:
        break;
    }
    return "";
}

std::string PrefetchChoiceCaption(PrefetchChoice choice)
{
    switch (choice) {
    case PrefetchChoice::Always:
        return "Always";
    case PrefetchChoice::NextOnly:
        return "Only the next texts to read";
    case PrefetchChoice::Automatic:
        return "Automatic";
    case PrefetchChoice::AsDefaultProfile:
        break;
    }
    return "As the default profile";
}

std::string InheritedValue(const TMiravoConfiguration& config, std::string_view key,
                           std::string_view runtimeDefault)
{
    return config.ReadMainProfile(key, runtimeDefault);
}

std::string PasswordPlaceNote(TMiravoConfiguration::PasswordPlace place, bool keyringAnswers)
{
    using P = TMiravoConfiguration::PasswordPlace;
    switch (place) {
    case P::Keyring:
        return "The password is kept in the desktop's keyring.";
    case P::SettingsFile:
        return keyringAnswers ? "The password is in the settings file, obscured but not encrypted; it moves into "
                                "the desktop's keyring at the next logon."
                              : "No keyring answers, so the password is kept in the settings file, obscured but "
                                "not encrypted.";
    case P::Nowhere:
        break;
    }
    return keyringAnswers ? "No password is saved. A saved password goes into the desktop's keyring."
                          : "No password is saved. No keyring answers, so a saved password would be kept in the "
                            "settings file, obscured but not encrypted.";
}

SettingsPages LoadSettingsPages(TMiravoConfiguration& config)
{
    SettingsPages p;
    const bool named = !config.IsDefaultProfile();
    p.namedProfile = named;

    p.host = LoadText(config, C::Server, named);
    p.port = LoadText(config, C::Port, named);
    p.user = LoadText(config, C::User, named);
    // Shown (masked) even when it is not meant to be kept.
    p.password = config.ReadPassword();
    p.savePassword = LoadFlag(config, C::SavePwd, named);
    p.passwordPlace = config.WherePasswordIs();
    p.keyringAnswers = config.KeyringAnswers();
    p.useProxy = LoadFlag(config, C::UseProxy, named);
    p.proxyServer = LoadText(config, C::ProxyServer, named);
    p.proxyPort = LoadText(config, C::ProxyPort, named);
    p.charset = LoadText(config, C::Charset, named);
    p.useTls = LoadFlag(config, C::UseTls, named);
    p.tlsPort = LoadText(config, C::TlsPort, named);
    p.tlsPinnedCert = config.ReadString(C::TlsPinnedCert, "");
    p.answerTimeout = LoadText(config, C::AnswerTimeout, named);

    for (int i = 0; i < kAlertFlagCount; ++i)
        p.alertFlags[i] = LoadFlag(config, AlertFlagKeys()[i], named);
    for (int i = 0; i < kAlertLevelCount; ++i)
        p.alertLevels[i] = LoadText(config, AlertLevelKeys()[i], named);

    for (const auto& activity : MiravoActivities) {
        ActivityRow row{activity.key, activity.description, config.ReadString(ActivityConfigKey(activity.key), "")};
        p.activities.push_back(std::move(row));
    }

    p.shortcuts = ShortcutRowsFromMap(config.ShortcutMap());

    p.filterAddedTexts = LoadFlag(config, C::FilterAddedTexts, named);
    p.showSubjTree = LoadFlag(config, C::ShowSubjTree, named);
    p.markReadTexts = LoadFlag(config, C::MarkReadTexts, named);
    p.automaticLineWrap = LoadFlag(config, C::AutomaticLineWrap, named);
    p.autoReconnect = LoadFlag(config, C::AutoReconnect, named);
    p.alignTextsToTop = LoadFlag(config, C::AlignTextsToTop, named);
    p.showCommentedText = LoadFlag(config, C::ShowCommentedText, named);
    // Only the three sizes exist; anything else shows (and saves) the default.
    p.startWindowSizeMode =
        ParseIntOr(LoadInheritable(config, C::StartWindowSizeMode, "", p.ownStartWindowSizeMode), 2);
    if (p.startWindowSizeMode < 0 || p.startWindowSizeMode > 2)
        p.startWindowSizeMode = 2;
    p.prefetchAll = PrefetchChoiceOf(config.ReadString(C::PrefetchAll, ""), named);
    p.messagesKept = LoadText(config, C::MessagesKept, named);

    for (int i = 0; i < kFontRegionCount; ++i)
        p.fonts[i] = LoadInheritable(config, FontRegionKeys()[i], DefaultRegionFonts()[i], p.ownFonts[i]);
    return p;
}

void SaveSettingsPages(TMiravoConfiguration& config, const SettingsPages& p, const SettingsPages& loaded)
{
    const TMiravoConfiguration::Batch batch(config);

    // The keyring's entry is keyed by server and user: the one under the
    // old ones goes before they change.
    if (p.host != loaded.host || p.port != loaded.port || p.user != loaded.user ||
        p.savePassword != TriState::Checked)
        config.ForgetPassword();
    config.WriteString(C::Server, p.host);
    config.WriteString(C::Port, p.port);
    config.WriteString(C::User, p.user);
    if (p.savePassword == TriState::Checked)
        config.WritePassword(p.password);
    config.WriteTriState(C::SavePwd, p.savePassword);
    config.WriteTriState(C::UseProxy, p.useProxy);
    config.WriteString(C::ProxyServer, p.proxyServer);
    config.WriteString(C::ProxyPort, p.proxyPort);
    config.WriteString(C::Charset, p.charset);
    config.WriteTriState(C::UseTls, p.useTls);
    config.WriteString(C::TlsPort, p.tlsPort);
    config.WriteString(C::TlsPinnedCert, p.tlsPinnedCert);
    WriteIfChanged(config, C::AnswerTimeout, p.answerTimeout, loaded.answerTimeout);

    for (int i = 0; i < kAlertFlagCount; ++i)
        config.WriteTriState(AlertFlagKeys()[i], p.alertFlags[i]);
    for (int i = 0; i < kAlertLevelCount; ++i)
        config.WriteString(AlertLevelKeys()[i], p.alertLevels[i]);

    for (const ActivityRow& row : p.activities)
        config.WriteString(ActivityConfigKey(row.key), row.message);

    config.SetShortcutMap(ShortcutMapFromRows(p.shortcuts));
    config.SaveShortcutMap();

    config.WriteTriState(C::FilterAddedTexts, p.filterAddedTexts);

    config.WriteTriState(C::ShowSubjTree, p.showSubjTree);
    config.WriteTriState(C::MarkReadTexts, p.markReadTexts);
    config.WriteTriState(C::AutomaticLineWrap, p.automaticLineWrap);
    config.WriteTriState(C::AutoReconnect, p.autoReconnect);
    config.WriteTriState(C::AlignTextsToTop, p.alignTextsToTop);
    config.WriteTriState(C::ShowCommentedText, p.showCommentedText);
    const bool keepSizeUnset = p.namedProfile && !loaded.ownStartWindowSizeMode &&
                               p.startWindowSizeMode == loaded.startWindowSizeMode;
    config.WriteString(C::StartWindowSizeMode, keepSizeUnset ? std::string() : std::to_string(p.startWindowSizeMode));
    if (p.prefetchAll != loaded.prefetchAll)
        config.WriteString(C::PrefetchAll, PrefetchValueOf(p.prefetchAll, p.namedProfile));
    WriteIfChanged(config, C::MessagesKept, p.messagesKept, loaded.messagesKept);

    for (int i = 0; i < kFontRegionCount; ++i) {
        const bool keepUnset = p.namedProfile && !loaded.ownFonts[i] && p.fonts[i] == loaded.fonts[i];
        config.WriteString(FontRegionKeys()[i], keepUnset ? std::string() : p.fonts[i]);
    }
}

std::vector<ShortcutRow> ShortcutRowsFromMap(const std::vector<std::string>& map)
{
    std::vector<ShortcutRow> rows;
    rows.reserve(map.size());
    for (const std::string& item : map)
        rows.push_back({std::string(ShortcutKeys(item)), std::string(ShortcutCommand(item))});
    return rows;
}

std::vector<std::string> ShortcutMapFromRows(const std::vector<ShortcutRow>& rows)
{
    std::vector<std::string> map;
    map.reserve(rows.size());
    for (const ShortcutRow& row : rows)
        map.push_back(MakeShortcutItem(row.keys, row.commandKey));
    return map;
}

std::string UserCommandDescription(std::string_view commandKey)
{
    for (const auto& command : MiravoUserCommands)
        if (commandKey == command.key)
            return command.description;
    return {};
}

std::string UserCommandKeyFor(std::string_view description)
{
    for (const auto& command : MiravoUserCommands)
        if (description == command.description)
            return command.key;
    return {};
}

const std::vector<KnownServer>& KnownServers()
{
    // The first is the server that the demo mode runs on this machine.
    static const std::vector<KnownServer> servers = {
        {"Local demo server", "localhost", 4894},
        {"Hollin community server", "miravo.hollin.example", 4894, true, 4896},
        {"Hollin test server", "test.hollin.example", 4895},
    };
    return servers;
}

} // namespace pellar
