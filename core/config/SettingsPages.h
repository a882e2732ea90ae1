// What the settings dialog shows on its pages, and how it is read from and
// written back to one profile of the configuration store. Kept apart from the
// widgets so that the mapping between values and pages can be tested alone.
#pragma once

#include "core/config/TMiravoConfiguration.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

// One row of the activity page: the activity's key and description, and the
// message the user has set for it (empty when there is none).
struct ActivityRow {
    std::string key;
    std::string description;
    std::string message;

    bool operator==(const ActivityRow&) const = default;
};

// One row of the keyboard page: the typed keys (ISO-8859-1 bytes) and the key
// of the command they run. A command key the program does not know is kept
// as it is, so that saving does not lose it.
struct ShortcutRow {
    std::string keys;
    std::string commandKey;

    bool operator==(const ShortcutRow&) const = default;
};

// The alert check boxes, in page order: sound, tray, focus; each for every
// message, personal messages and a priority text.
inline constexpr int kAlertFlagCount = 9;
inline constexpr int kAlertLevelCount = 3;   // sound, tray, focus thresholds
inline constexpr int kFontRegionCount = 3;   // header, body, message

// "Fetch texts ahead" (PrefetchAll): follow the default profile (named
// profiles only), decide by the link's round trip, every unread text, or only
// the texts about to be read.
enum class PrefetchChoice { AsDefaultProfile, Automatic, Always, NextOnly };

// A number field the dialog checks before saving: its key, what the user
// knows it as, and the values it takes. Empty is allowed too: the program's
// default, or in a named profile the default profile's value.
struct NumberSetting {
    std::string_view key;
    std::string_view label;
    int min, max;
};

struct SettingsPages {
    // True when the pages edit a named profile: check boxes may then be grey
    // (not set here) and nothing shows a default of its own.
    bool namedProfile = false;

    // General
    std::string host, port, user, password;
    TriState savePassword = TriState::Unchecked;
    // Where the saved password is, for the note under it (not saved back).
    TMiravoConfiguration::PasswordPlace passwordPlace = TMiravoConfiguration::PasswordPlace::Nowhere;
    bool keyringAnswers = false;
    TriState useProxy = TriState::Unchecked;
    std::string proxyServer, proxyPort;
    // "ISO-8859-1" or "UTF-8"; empty in a named profile that follows the
    // default profile.
    std::string charset;
    TriState useTls = TriState::Unchecked;
    std::string tlsPort;
    // The trusted certificate's fingerprint; the page can only forget it.
    std::string tlsPinnedCert;

    // Alerts
    std::array<TriState, kAlertFlagCount> alertFlags{};
    std::array<std::string, kAlertLevelCount> alertLevels;

    // Activity msg: one row per activity, in activity-table order.
    std::vector<ActivityRow> activities;

    // Keyboard, in map order.
    std::vector<ShortcutRow> shortcuts;

    // Filter
    TriState filterAddedTexts = TriState::Checked;

    // Misc
    TriState showSubjTree = TriState::Unchecked;
    TriState markReadTexts = TriState::Checked;
    TriState automaticLineWrap = TriState::Checked;
    TriState autoReconnect = TriState::Checked;
    TriState alignTextsToTop = TriState::Checked;
    TriState showCommentedText = TriState::Unchecked;
    int startWindowSizeMode = 2;  // 0 maximised, 1 minimised, 2 last size
    PrefetchChoice prefetchAll = PrefetchChoice::Automatic;
    // Decimal texts as typed. A value the profile does not hold shows the
    // program's default in the default profile and empty in a named one;
    // saving writes these three only when the user changed them, so a
    // profile that never had them keeps following the program's defaults.
    std::string messagesKept;
    std::string answerTimeout;  // General page, beside the server

    // Fonts: header, body, message, as font strings.
    std::array<std::string, kFontRegionCount> fonts;

    // Whether the profile holds its own start size and fonts. A named profile
    // that does not shows the default profile's; saving leaves the value
    // unset again unless the user changed it.
    bool ownStartWindowSizeMode = true;
    std::array<bool, kFontRegionCount> ownFonts{true, true, true};
};

// MessagesKept and AnswerTimeout with their ranges, in page order.
const std::array<NumberSetting, 2>& CheckedNumberSettings();

// The first checked number whose text is neither empty nor a whole number
// in its range: its key and the message that refuses it. nullopt when all
// are fine.
struct SettingsProblem {
    std::string key;
    std::string message;
};
std::optional<SettingsProblem> FindNumberProblem(const SettingsPages& pages);

// How a PrefetchAll value reads as a choice and is written back; named
// profiles store "auto" for Automatic, since empty there means "as the
// default profile".
PrefetchChoice PrefetchChoiceOf(std::string_view stored, bool namedProfile);
std::string PrefetchValueOf(PrefetchChoice choice, bool namedProfile);
// "Automatic", "Always", "Only the next texts to read".
std::string PrefetchChoiceCaption(PrefetchChoice choice);

// The config keys behind SettingsPages::alertFlags and ::alertLevels.
const std::array<std::string_view, kAlertFlagCount>& AlertFlagKeys();
const std::array<std::string_view, kAlertLevelCount>& AlertLevelKeys();
const std::array<std::string_view, kFontRegionCount>& FontRegionKeys();
// "MS Sans Serif;11;$80000008;" and the others, in region order.
const std::array<std::string_view, kFontRegionCount>& DefaultRegionFonts();

// What a named profile's unset value of key follows: the main profile's
// value, else what the program takes when none is stored (runtimeDefault;
// not the dialog's default, which only a saved dialog writes).
std::string InheritedValue(const TMiravoConfiguration& config, std::string_view key,
                           std::string_view runtimeDefault);

// Reads the pages from the configuration's current profile. The caller
// clears the inherit flag first, so that a named profile's own values are
// seen; a value stored nowhere shows the program's default in the default
// profile (ConfigKeyInfo::defaultValue) and "not set" in a named one.
SettingsPages LoadSettingsPages(TMiravoConfiguration& config);

// Writes the pages to the current profile in the dialog's order: server, user
// and proxy; alerts; activity messages; shortcut map; filter; misc; fonts.
// loaded is what LoadSettingsPages returned for these pages: a start size or
// font that a named profile inherited and the user left alone stays unset.
// Texts are written as typed; the password only when "SavePwd" is checked,
// otherwise "Pwd" is emptied. One commit for the whole save.
void SaveSettingsPages(TMiravoConfiguration& config, const SettingsPages& pages, const SettingsPages& loaded);

// The note under "Save password": which of the keyring and the settings
// file holds the password, said plainly.
std::string PasswordPlaceNote(TMiravoConfiguration::PasswordPlace place, bool keyringAnswers);

// The rows of a shortcut map and back ("keys=command" items).
std::vector<ShortcutRow> ShortcutRowsFromMap(const std::vector<std::string>& map);
std::vector<std::string> ShortcutMapFromRows(const std::vector<ShortcutRow>& rows);

// User command descriptions; the key for a description, "" when none has it.
std::string UserCommandDescription(std::string_view commandKey);
std::string UserCommandKeyFor(std::string_view description);

// A server the "Set default" menu offers.
struct KnownServer {
    const char* name;
    const char* host;
    int port;
    bool tls = false;  // offers encrypted links, on tlsPort
    int tlsPort = 0;
};
const std::vector<KnownServer>& KnownServers();

} // namespace pellar
