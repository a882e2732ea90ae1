// Every value name the configuration store knows, with its one default: the
// value readers get and the settings dialog shows when none is stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

namespace ConfigKeys {
inline constexpr std::string_view Server = "Server";
inline constexpr std::string_view Port = "Port";
inline constexpr std::string_view User = "User";
inline constexpr std::string_view Pwd = "Pwd";
inline constexpr std::string_view SavePwd = "SavePwd";
// "1": the profile's password is no secret (the demo's) and never goes to
// the keyring; it is kept obscured in "Pwd" like where no keyring answers.
inline constexpr std::string_view PwdNotSecret = "PwdNotSecret";
inline constexpr std::string_view UseProxy = "UseProxy";
inline constexpr std::string_view ProxyServer = "ProxyServer";
inline constexpr std::string_view ProxyPort = "ProxyPort";
inline constexpr std::string_view Charset = "Charset";  // "ISO-8859-1" or "UTF-8"
inline constexpr std::string_view UseTls = "UseTls";
inline constexpr std::string_view TlsPort = "TlsPort";
inline constexpr std::string_view TlsPinnedCert = "TlsPinnedCert";
inline constexpr std::string_view SoundAllMsg = "SoundAllMsg";
inline constexpr std::string_view SoundPersMsg = "SoundPersMsg";
inline constexpr std::string_view SoundPriText = "SoundPriText";
inline constexpr std::string_view SoundPriTextLvl = "SoundPriTextLvl";
inline constexpr std::string_view TrayAllMsg = "TrayAllMsg";
inline constexpr std::string_view TrayPersMsg = "TrayPersMsg";
inline constexpr std::string_view TrayPriText = "TrayPriText";
inline constexpr std::string_view TrayPriTextLvl = "TrayPriTextLvl";
inline constexpr std::string_view FocusAllMsg = "FocusAllMsg";
inline constexpr std::string_view FocusPersMsg = "FocusPersMsg";
inline constexpr std::string_view FocusPriText = "FocusPriText";
inline constexpr std::string_view FocusPriTextLvl = "FocusPriTextLvl";
inline constexpr std::string_view ActivityPrefix = "Activity-";  // + an activity key
inline constexpr std::string_view FilterAddedTexts = "FilterAddedTexts";
// "1": fetch every unread text ahead while the link is idle; "0": only the
// texts about to be read; empty, or any other text (the settings dialog
// writes "auto" in a named profile, where empty follows the default
// profile): "1" while the link's round trip is that of a local network (or,
// before it is known, for a server nearby), "0" else.
inline constexpr std::string_view PrefetchAll = "PrefetchAll";
inline constexpr std::string_view AutomaticLineWrap = "AutomaticLineWrap";
inline constexpr std::string_view MarkReadTexts = "MarkReadTexts";
inline constexpr std::string_view ShowCommentedText = "ShowCommentedText";
inline constexpr std::string_view ShowSubjTree = "ShowSubjTree";
inline constexpr std::string_view AlignTextsToTop = "AlignTextsToTop";
inline constexpr std::string_view StartWindowSizeMode = "StartWindowSizeMode";
inline constexpr std::string_view WindowPosTop = "WindowPosTop";
inline constexpr std::string_view WindowPosLeft = "WindowPosLeft";
inline constexpr std::string_view WindowPosWidth = "WindowPosWidth";
inline constexpr std::string_view WindowPosHeight = "WindowPosHeight";
inline constexpr std::string_view HeaderFont = "HeaderFont";
inline constexpr std::string_view BodyFont = "BodyFont";
inline constexpr std::string_view MessageFont = "MessageFont";
inline constexpr std::string_view SubjSplitSize = "SubjSplitSize";
inline constexpr std::string_view CommSplitSize = "CommSplitSize";
inline constexpr std::string_view ReformatTexts = "ReformatTexts";
inline constexpr std::string_view ConfListListColPrefix = "ConfListListCol";  // + column number from 0
inline constexpr std::string_view WhoIsOnListColPrefix = "WhoIsOnListCol";    // + column number from 0
inline constexpr std::string_view NoPresentationPrompt = "NoPresentationPrompt";
inline constexpr std::string_view OfflineMessage = "OfflineMessage";
inline constexpr std::string_view OfflineReplyToAll = "OfflineReplyToAll";
inline constexpr std::string_view KeyShortcutPrefix = "KeyShortcut";  // a registry list
inline constexpr std::string_view AnswerTimeout = "AnswerTimeout";      // seconds a logon waits for each answer
inline constexpr std::string_view MessagesKept = "MessagesKept";        // blocks a messages window keeps
// "1": a link lost under a session is connected again on its own, with back-off.
inline constexpr std::string_view AutoReconnect = "AutoReconnect";
// "1": misspelt words are underlined while writing.
inline constexpr std::string_view SpellCheck = "SpellCheck";
// The dictionary's name ("en_US"); empty: the one of the user's locale.
inline constexpr std::string_view SpellLanguage = "SpellLanguage";
} // namespace ConfigKeys

// Host offered by the login and settings dialogs when none is stored: the
// reference server that the demo mode also runs.
inline constexpr std::string_view kDefaultServerHost = "localhost";
inline constexpr std::string_view kDefaultServerPort = "4894";
// The port miravod serves encrypted links on unless told otherwise.
inline constexpr std::string_view kDefaultTlsPort = "4896";

// "Activity-" + key; "ConfListListCol" / "WhoIsOnListCol" + column.
std::string ActivityConfigKey(std::string_view activityKey);
std::string ConfListColumnKey(int column);
std::string WhoIsOnColumnKey(int column);

enum class ConfigKeyKind {
    Text,          // free text, stored as typed
    Number,        // decimal text
    Flag,          // "1" / "0"
    TriStateFlag,  // "1" / "0" / "" (not set in this profile)
    Font,          // font description string
    Password,      // obscured text
    Activity,      // text sent as the user's activity
    ColumnPrefix,  // name + column number; width in pixels, "-1" keeps the designed width
    List,          // registry list (count + items); its default is the default shortcut map
};

struct ConfigKeyInfo {
    std::string name;
    ConfigKeyKind kind;
    // The value in effect when none is stored, anywhere: what every reader
    // uses and what the settings dialog shows in the default profile, so
    // that pressing OK there changes nothing. nullopt where the reader keeps
    // a designed value (window geometry) or for the shortcut list.
    std::optional<std::string> defaultValue;
    // Whether the settings dialog edits the value.
    bool inDialog = false;
};

// The whole table, in the dialog's order of mention; the seven activity
// values in activity-table order.
const std::vector<ConfigKeyInfo>& ConfigKeyTable();

// The table's default for a value name; "" for one without a default.
std::string ConfigDefault(std::string_view name);
// The same read as a flag ("1" is true).
bool ConfigDefaultFlag(std::string_view name);

// The entry for a value name ("Activity-read" included; a column key such as
// "ConfListListCol3" finds its prefix entry); nullptr if unknown.
const ConfigKeyInfo* FindConfigKey(std::string_view name);

} // namespace pellar
