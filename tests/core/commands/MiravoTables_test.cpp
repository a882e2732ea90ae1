#include "core/commands/MiravoTables.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(MiravoTables, Activities)
{
    EXPECT_STREQ(MiravoActivities[0].key, "add");
    EXPECT_STREQ(MiravoActivities[2].key, "override");
    EXPECT_STREQ(MiravoActivities[6].description, "Writing a comment");
}

TEST(MiravoTables, UserCommandsAreNumberedInOrder)
{
    for (size_t i = 0; i < MiravoUserCommands.size(); ++i)
        EXPECT_EQ(MiravoUserCommands[i].number, static_cast<int>(i) + 1);
    EXPECT_STREQ(MiravoUserCommands[10].description, "Read only the n'th last texts");
    EXPECT_STREQ(MiravoUserCommands[25].key, "gotoconf");
}

TEST(MiravoTables, DefaultShortcuts)
{
    std::set<int> commands;
    std::set<std::string> texts;
    for (const auto& row : MiravoKeyboardShortcuts) {
        commands.insert(row.command);
        texts.insert(row.shortcut);
    }
    EXPECT_EQ(texts.size(), 18u);
    for (int c = 16; c <= 23; ++c)
        EXPECT_EQ(commands.count(c), 0u) << c;
    EXPECT_EQ(std::string(MiravoKeyboardShortcuts[0].shortcut), "\xe5k");
    EXPECT_EQ(texts.count("\xe5 "), 1u);
    EXPECT_EQ(texts.count(" "), 1u);
    EXPECT_EQ(texts.count("t "), 1u);
}

} // namespace
} // namespace pellar
