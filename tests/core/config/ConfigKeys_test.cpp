#include "core/config/ConfigKeys.h"

#include "core/protocol/MiravoTables.h"

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

TEST(ConfigKeys, ActivityValuesOfferTheirDescriptionsExceptOverride)
{
    for (const auto& activity : MiravoActivities) {
        const auto* info = FindConfigKey(ActivityConfigKey(activity.key));
        ASSERT_NE(info, nullptr) << activity.key;
        EXPECT_EQ(info->kind, ConfigKeyKind::Activity);
        const std::string expected = std::string(activity.key) == "override" ? "" : activity.description;
        EXPECT_EQ(info->dialogDefault, expected) << activity.key;
    }
}

TEST(ConfigKeys, ColumnKeysFindTheirPrefixEntry)
{
    const auto* conf = FindConfigKey(ConfListColumnKey(3));
    ASSERT_NE(conf, nullptr);
    EXPECT_EQ(conf->name, "ConfListListCol");
    EXPECT_EQ(conf->useDefault, "-1");
    EXPECT_EQ(FindConfigKey(WhoIsOnColumnKey(0)), FindConfigKey("WhoIsOnListCol"));
    EXPECT_EQ(FindConfigKey("ConfListListColX"), nullptr);
    EXPECT_EQ(FindConfigKey("NoSuchKey"), nullptr);
}

TEST(ConfigKeys, ReaderAndDialogDefaultsDifferWhereTheyShould)
{
    // The alert thresholds: a reader falls back to the highest level, the
    // dialog proposes a useful one.
    const auto* sound = FindConfigKey(ConfigKeys::SoundPriTextLvl);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->useDefault, "255");
    EXPECT_EQ(sound->dialogDefault, "240");
    const auto* focus = FindConfigKey(ConfigKeys::FocusPriTextLvl);
    ASSERT_NE(focus, nullptr);
    EXPECT_FALSE(focus->useDefault.has_value());
    EXPECT_EQ(focus->dialogDefault, "250");
    const auto* window = FindConfigKey(ConfigKeys::WindowPosTop);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->dialogDefault.has_value());
}

} // namespace
} // namespace pellar
