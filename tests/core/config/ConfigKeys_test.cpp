#include "core/config/ConfigKeys.h"

#include "core/commands/MiravoTables.h"

#include <gtest/gtest.h>

#include <set>

namespace pellar {
namespace {

TEST(ConfigKeys, EachNameAppearsOnce)
{
    std::set<std::string> names;
    for (const auto& info : ConfigKeyTable())
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
}

TEST(ConfigKeys, ActivityValuesAreEmptyUntilTheUserWritesOne)
{
    for (const auto& activity : MiravoActivities) {
        const auto* info = FindConfigKey(ActivityConfigKey(activity.key));
        ASSERT_NE(info, nullptr) << activity.key;
        EXPECT_EQ(info->kind, ConfigKeyKind::Activity);
        EXPECT_TRUE(info->inDialog);
        EXPECT_EQ(info->defaultValue, "") << activity.key;
    }
}

TEST(ConfigKeys, ColumnKeysFindTheirPrefixEntry)
{
    const auto* conf = FindConfigKey(ConfListColumnKey(3));
    ASSERT_NE(conf, nullptr);
    EXPECT_EQ(conf->name, "ConfListListCol");
    EXPECT_EQ(conf->defaultValue, "-1");
    EXPECT_FALSE(conf->inDialog);
    EXPECT_EQ(FindConfigKey(WhoIsOnColumnKey(0)), FindConfigKey("WhoIsOnListCol"));
    EXPECT_EQ(FindConfigKey("ConfListListColX"), nullptr);
    EXPECT_EQ(FindConfigKey("NoSuchKey"), nullptr);
}

TEST(ConfigKeys, PersonalMessagesAlertAndEverythingElseStaysQuiet)
{
    namespace C = ConfigKeys;
    EXPECT_TRUE(ConfigDefaultFlag(C::TrayPersMsg));
    for (const std::string_view quiet : {C::SoundAllMsg, C::SoundPersMsg, C::SoundPriText, C::TrayAllMsg,
                                         C::TrayPriText, C::FocusAllMsg, C::FocusPersMsg, C::FocusPriText})
        EXPECT_FALSE(ConfigDefaultFlag(quiet)) << quiet;
    // What a ticked box starts from.
    EXPECT_EQ(ConfigDefault(C::SoundPriTextLvl), "240");
    EXPECT_EQ(ConfigDefault(C::TrayPriTextLvl), "150");
    EXPECT_EQ(ConfigDefault(C::FocusPriTextLvl), "250");
    // The reading window shows its tree and the commented text.
    EXPECT_TRUE(ConfigDefaultFlag(C::ShowSubjTree));
    EXPECT_TRUE(ConfigDefaultFlag(C::ShowCommentedText));
    EXPECT_EQ(ConfigDefault("NoSuchKey"), "");
    const auto* window = FindConfigKey(C::WindowPosTop);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->defaultValue.has_value());
    EXPECT_FALSE(window->inDialog);
}

} // namespace
} // namespace pellar
