#include "core/config/ConfigKeys.h"

#include "core/protocol/MiravoTables.h"
#include "core/protocol/WireTokens.h"

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

ConfigKeyInfo Key(std::string_view name, K kind, Opt use, Opt dialog)
{
    return {std::string(name), kind, std::move(use), std::move(dialog)};
}

std::vector<ConfigKeyInfo> BuildTable()
{
    namespace C = ConfigKeys;
    const std::string host(kDefaultServerHost);
    const std::string port(kDefaultServerPort);
    std::vector<ConfigKeyInfo> t = {
        // At logon a missing host or port stays empty; the dialogs offer these.
        Key(C::Server, K::Text, "", host),
        Key(C::Port, K::Number, "", port),
        Key(C::User, K::Text, "", ""),
        Key(C::Pwd, K::Password, "", ""),
        Key(C::SavePwd, K::TriStateFlag, "0", "0"),
        Key(C::UseProxy, K::TriStateFlag, "0", "0"),
        Key(C::ProxyServer, K::Text, "", ""),
        Key(C::ProxyPort, K::Number, "", ""),
        // Every profile from before the choice existed is ISO-8859-1.
        Key(C::Charset, K::Text, "ISO-8859-1", "ISO-8859-1"),
        Key(C::UseTls, K::TriStateFlag, "0", "0"),
        Key(C::TlsPort, K::Number, std::string(kDefaultTlsPort), std::string(kDefaultTlsPort)),
        // The SHA-256 fingerprint the user trusted; only a logon writes it.
        Key(C::TlsPinnedCert, K::Text, "", ""),
        Key(C::SoundAllMsg, K::TriStateFlag, "0", "1"),
        Key(C::SoundPersMsg, K::TriStateFlag, "0", "1"),
        Key(C::SoundPriText, K::TriStateFlag, "0", "1"),
        Key(C::SoundPriTextLvl, K::Number, "255", "240"),
        Key(C::TrayAllMsg, K::TriStateFlag, "0", "1"),
        Key(C::TrayPersMsg, K::TriStateFlag, "0", "1"),
        Key(C::TrayPriText, K::TriStateFlag, "0", "1"),
        Key(C::TrayPriTextLvl, K::Number, "255", "150"),
        Key(C::FocusAllMsg, K::TriStateFlag, "0", "1"),
        Key(C::FocusPersMsg, K::TriStateFlag, "0", "1"),
        Key(C::FocusPriText, K::TriStateFlag, kNone, "1"),
        Key(C::FocusPriTextLvl, K::Number, kNone, "250"),
    };
    for (const auto& activity : MiravoActivities) {
        const std::string key = activity.key;
        t.push_back(Key(ActivityConfigKey(key), K::Activity, "", key == "override" ? "" : activity.description));
    }
    const std::vector<ConfigKeyInfo> rest = {
        Key(C::FilterAddedTexts, K::TriStateFlag, "1", "1"),
        Key(C::PrefetchAll, K::Text, "", ""),
        Key(C::AutomaticLineWrap, K::TriStateFlag, "0", "1"),
        Key(C::MarkReadTexts, K::TriStateFlag, "1", "1"),
        Key(C::ShowCommentedText, K::TriStateFlag, "1", "0"),
        // The reading window's layout reads it with "1", its tree refresh with "0".
        Key(C::ShowSubjTree, K::TriStateFlag, "1", "0"),
        Key(C::AlignTextsToTop, K::TriStateFlag, kNone, "1"),
        Key(C::StartWindowSizeMode, K::Number, "2", "2"),
        Key(C::WindowPosTop, K::Number, kNone, kNone),
        Key(C::WindowPosLeft, K::Number, kNone, kNone),
        Key(C::WindowPosWidth, K::Number, kNone, kNone),
        Key(C::WindowPosHeight, K::Number, kNone, kNone),
        Key(C::HeaderFont, K::Font, kDefaultHeaderFont, kDefaultHeaderFont),
        Key(C::BodyFont, K::Font, kDefaultBodyFont, kDefaultBodyFont),
        Key(C::MessageFont, K::Font, kDefaultMessageFont, kDefaultMessageFont),
        Key(C::SubjSplitSize, K::Number, "30", kNone),
        Key(C::CommSplitSize, K::Number, "1", kNone),
        Key(C::ReformatTexts, K::Flag, "0", kNone),
        Key(C::ConfListListColPrefix, K::ColumnPrefix, "-1", kNone),
        Key(C::WhoIsOnListColPrefix, K::ColumnPrefix, "-1", kNone),
        Key(C::NoPresentationPrompt, K::Flag, "0", kNone),
        Key(C::OfflineMessage, K::Text, "", kNone),
        Key(C::OfflineReplyToAll, K::TriStateFlag, "0", kNone),
        Key(C::KeyShortcutPrefix, K::List, kNone, kNone),
        Key(C::AnswerTimeout, K::Number, "30", "30"),
        Key(C::MessagesKept, K::Number, "5000", "5000"),
        Key(C::AutoReconnect, K::TriStateFlag, "1", "1"),
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
