#include "core/config/ShortcutMap.h"

#include "core/commands/MiravoTables.h"

#include <gtest/gtest.h>

#include <set>

namespace pellar {
namespace {

TEST(ShortcutMap, DefaultMapFollowsTheShortcutTableInOrder)
{
    const auto map = DefaultShortcutMap();
    ASSERT_EQ(map.size(), MiravoKeyboardShortcuts.size());
    for (std::size_t i = 0; i < map.size(); ++i) {
        EXPECT_EQ(ShortcutKeys(map[i]), MiravoKeyboardShortcuts[i].shortcut);
        EXPECT_EQ(UserCommandNumber(ShortcutCommand(map[i])), MiravoKeyboardShortcuts[i].command);
    }
    std::set<int> bound;
    for (const auto& item : map)
        bound.insert(UserCommandNumber(ShortcutCommand(item)));
    for (int command = 16; command <= 23; ++command)
        EXPECT_EQ(bound.count(command), 0u) << command;
}

TEST(ShortcutMap, ItemsSplitAtTheLastEqualsSign)
{
    EXPECT_EQ(ShortcutKeys("==readnext"), "=");
    EXPECT_EQ(ShortcutCommand("==readnext"), "readnext");
    EXPECT_EQ(ShortcutKeys("novalue"), "novalue");
    EXPECT_EQ(ShortcutCommand("novalue"), "");
    EXPECT_EQ(MakeShortcutItem("t ", "readtopconf"), "t =readtopconf");
}

TEST(ShortcutMap, LookupFindsExactPrefixOrNothing)
{
    const std::vector<std::string> map = {"ab=writecom", "a=readnext", "abc=joinconf"};
    EXPECT_EQ(LookupShortcut(map, "a"), 14);     // exact, even though longer items exist
    EXPECT_EQ(LookupShortcut(map, "ab"), 2);
    EXPECT_EQ(LookupShortcut(map, "abc"), 7);
    EXPECT_EQ(LookupShortcut(map, "abcd"), kShortcutNone);
    EXPECT_EQ(LookupShortcut(map, "b"), kShortcutNone);
    EXPECT_EQ(LookupShortcut({"xy=readnext"}, "x"), kShortcutPartial);
    EXPECT_EQ(LookupShortcut({}, "x"), kShortcutNone);
}

TEST(ShortcutMap, TwoItemsWithTheSameKeysCancelOut)
{
    EXPECT_EQ(LookupShortcut({"q=readnext", "q=writecom"}, "q"), kShortcutNone);
    EXPECT_EQ(LookupShortcut({"q=readnext", "q=writecom", "qq=gotoconf"}, "q"), kShortcutPartial);
    // A third one makes it found again, with the third command.
    EXPECT_EQ(LookupShortcut({"q=readnext", "q=writecom", "q=gotoconf"}, "q"), 26);
}

TEST(ShortcutMap, UnknownCommandNeedsMoreKeysRatherThanRunningSomething)
{
    EXPECT_EQ(LookupShortcut({"q=nosuchcommand"}, "q"), kShortcutPartial);
    EXPECT_EQ(UserCommandNumber("readcomto"), 1);
    EXPECT_EQ(UserCommandNumber("gotoconf"), 26);
    EXPECT_EQ(UserCommandNumber("ReadNext"), -1);  // keys are case-sensitive
}

TEST(ShortcutMap, KeysCompareAsBytes)
{
    const auto map = DefaultShortcutMap();
    EXPECT_EQ(LookupShortcut(map, "\xe5r"), 9);
    EXPECT_EQ(LookupShortcut(map, "\xe5 "), 8);
    EXPECT_EQ(LookupShortcut(map, "\xc5r"), kShortcutNone);  // capital A-ring is another byte
    EXPECT_EQ(LookupShortcut(map, "\xc3\xa5"), kShortcutNone);  // UTF-8 is not the map's encoding
}

} // namespace
} // namespace pellar
