#include "core/protocol/MiravoTables.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(MiravoTables, ErrorCodesZeroAndTwoToFortySeven)
{
    std::set<int> codes;
    for (const auto& row : MiravoErrorMsgs)
        codes.insert(row.code);
    EXPECT_EQ(codes.size(), 47u);
    EXPECT_EQ(codes.count(1), 0u);
    EXPECT_EQ(*codes.begin(), 0);
    EXPECT_EQ(*codes.rbegin(), 47);
}

TEST(MiravoTables, ErrorTextLookup)
{
    EXPECT_EQ(MiravoErrorText(1), nullptr);
    EXPECT_EQ(MiravoErrorText(48), nullptr);
    EXPECT_EQ(MiravoErrorText(-1), nullptr);
    EXPECT_STREQ(MiravoErrorText(0), "No error has occurred");
    EXPECT_STREQ(MiravoErrorText(7), "System is in \"single-user mode\"");
    EXPECT_STREQ(MiravoErrorText(20), "Already exists");
    EXPECT_STREQ(MiravoErrorText(21), "Already exists ");
    EXPECT_STREQ(MiravoErrorText(45), "Temporary failure.  Try again later");
    EXPECT_STREQ(MiravoErrorText(47), "Anonymous text not allowed in conference.");
}

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
