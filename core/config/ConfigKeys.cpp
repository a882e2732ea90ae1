#include "core/config/ConfigKeys.h"

#include "core/commands/MiravoTables.h"
#include "core/wire/WireTokens.h"

#include <cctype>

namespace pellar {

std::string ActivityConfigKey(std::string_view activityKey)
{
    return std::string(ConfigKeys::ActivityPrefix) + std::string(activityKey);
}

std::string ConfListColumnKey(int column)
{
    return std::string(ConfigKeys::ConfListListColPrefix) + std::to_string(column);
}

std::string WhoIsOnColumnKey(int column)
{
    return std::string(ConfigKeys::WhoIsOnListColPrefix) + std::to_string(column);
}

namespace {

using K = ConfigKeyKind;
using Opt = std::optional<std::string>;
const Opt kNone = std::nullopt;
constexpr bool kDialog = true;   // the settings dialog edits it
constexpr bool kHidden = false;  // only its readers (and window layouts) know it

ConfigKeyInfo Key(std::string_view name, K kind, Opt def, bool inDialog)
{
    return {std::string(name), kind, std::move(def), inDialog};
}

std::vector<ConfigKeyInfo> BuildTable()
{
    namespace C = ConfigKeys;
    const std::string host(kDefaultServerHost);
    const std::string port(kDefaultServerPort);
    std::vector<ConfigKeyInfo> t = {
        Key(C::Server, K::Text, host, kDialog),
        Key(C::Port, K::Number, port, kDialog),
        Key(C::User, K::Text, "", kDialog),
        Key(C::Pwd, K::Password, "", kDialog),
        Key(C::SavePwd, K::TriStateFlag, "0", kDialog),
        Key(C::UseProxy, K::TriStateFlag, "0", kDialog),
        Key(C::ProxyServer, K::Text, "", kDialog),
        Key(C::ProxyPort, K::Number, "", kDialog),
        // Every profile from before the choice existed is ISO-8859-1.
        Key(C::Charset, K::Text, "ISO-8859-1", kDialog),
        Key(C::UseTls, K::TriStateFlag, "0", kDialog),
        Key(C::TlsPort, K::Number, std::string(kDefaultTlsPort), kDialog),
        // The SHA-256 fingerprint the user trusted; only a logon writes it.
        Key(C::TlsPinnedCert, K::Text, "", kDialog),
        // A message to the user alone raises a desktop notification; messages
        // to everyone and new texts stay quiet until the user asks for more.
        // The levels are what a ticked box starts from.
        Key(C::SoundAllMsg, K::TriStateFlag, "0", kDialog),
        Key(C::SoundPersMsg, K::TriStateFlag, "0", kDialog),
        Key(C::SoundPriText, K::TriStateFlag, "0", kDialog),
        Key(C::SoundPriTextLvl, K::Number, "240", kDialog),
        Key(C::TrayAllMsg, K::TriStateFlag, "0", kDialog),
        Key(C::TrayPersMsg, K::TriStateFlag, "1", kDialog),
        Key(C::TrayPriText, K::TriStateFlag, "0", kDialog),
        Key(C::TrayPriTextLvl, K::Number, "150", kDialog),
        Key(C::FocusAllMsg, K::TriStateFlag, "0", kDialog),
        Key(C::FocusPersMsg, K::TriStateFlag, "0", kDialog),
        Key(C::FocusPriText, K::TriStateFlag, "0", kDialog),
        Key(C::FocusPriTextLvl, K::Number, "250", kDialog),
    };
    // No activity is told to the server until the user writes a message for
    // it (the dialog lists the activity's description beside it).
    for (const auto& activity : MiravoActivities)
        t.push_back(Key(ActivityConfigKey(activity.key), K::Activity, "", kDialog));
    const std::vector<ConfigKeyInfo> rest = {
        Key(C::FilterAddedTexts, K::TriStateFlag, "1", kDialog),
        Key(C::PrefetchAll, K::Text, "", kDialog),
        Key(C::AutomaticLineWrap, K::TriStateFlag, "0", kDialog),
        Key(C::MarkReadTexts, K::TriStateFlag, "1", kDialog),
        Key(C::ShowCommentedText, K::TriStateFlag, "1", kDialog),
        Key(C::ShowSubjTree, K::TriStateFlag, "1", kDialog),
        Key(C::AlignTextsToTop, K::TriStateFlag, "1", kDialog),
        Key(C::StartWindowSizeMode, K::Number, "2", kDialog),
        Key(C::WindowPosTop, K::Number, kNone, kHidden),
        Key(C::WindowPosLeft, K::Number, kNone, kHidden),
        Key(C::WindowPosWidth, K::Number, kNone, kHidden),
        Key(C::WindowPosHeight, K::Number, kNone, kHidden),
        Key(C::HeaderFont, K::Font, kDefaultHeaderFont, kDialog),
        Key(C::BodyFont, K::Font, kDefaultBodyFont, kDialog),
        Key(C::MessageFont, K::Font, kDefaultMessageFont, kDialog),
        Key(C::SubjSplitSize, K::Number, "30", kHidden),
        Key(C::CommSplitSize, K::Number, "1", kHidden),
        Key(C::ReformatTexts, K::Flag, "0", kHidden),
        Key(C::ConfListListColPrefix, K::ColumnPrefix, "-1", kHidden),
        Key(C::WhoIsOnListColPrefix, K::ColumnPrefix, "-1", kHidden),
        Key(C::NoPresentationPrompt, K::Flag, "0", kHidden),
        Key(C::OfflineMessage, K::Text, "", kHidden),
        Key(C::OfflineReplyToAll, K::TriStateFlag, "0", kHidden),
        Key(C::KeyShortcutPrefix, K::List, kNone, kDialog),
        Key(C::AnswerTimeout, K::Number, "30", kDialog),
        Key(C::MessagesKept, K::Number, "5000", kDialog),
        Key(C::AutoReconnect, K::TriStateFlag, "1", kDialog),
        Key(C::SpellCheck, K::TriStateFlag, "1", kDialog),
        Key(C::SpellLanguage, K::Text, "", kDialog),
    };
    t.insert(t.end(), rest.begin(), rest.end());
    return t;
}

bool IsColumnKeyOf(std::string_view name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    for (const char c : name.substr(prefix.size()))
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

const std::vector<ConfigKeyInfo>& ConfigKeyTable()
{
    static const std::vector<ConfigKeyInfo> table = BuildTable();
    return table;
}

std::string ConfigDefault(std::string_view name)
{
    const ConfigKeyInfo* info = FindConfigKey(name);
    return info && info->defaultValue ? *info->defaultValue : std::string();
}

bool ConfigDefaultFlag(std::string_view name)
{
    return ConfigDefault(name) == "1";
}

const ConfigKeyInfo* FindConfigKey(std::string_view name)
{
    for (const auto& info : ConfigKeyTable()) {
        if (info.name == name)
            return &info;
        if (info.kind == ConfigKeyKind::ColumnPrefix && IsColumnKeyOf(name, info.name))
            return &info;
    }
    return nullptr;
}

} // namespace pellar
