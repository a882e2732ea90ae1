#include "core/wire/MiravoErrors.h"

#include <set>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(MiravoErrors, ErrorCodesZeroAndTwoToFortySeven)
{
    std::set<int> codes;
    for (const auto& row : MiravoErrorMsgs)
        codes.insert(row.code);
    EXPECT_EQ(codes.size(), 47u);
    EXPECT_EQ(codes.count(1), 0u);
    EXPECT_EQ(*codes.begin(), 0);
    EXPECT_EQ(*codes.rbegin(), 47);
}

TEST(MiravoErrors, ErrorTextLookup)
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

TEST(MiravoErrors, TheExceptionCarriesItsText)
{
    try {
        throw MiravoException("a list cut short");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "a list cut short");
    }
}

} // namespace
} // namespace pellar
