#include "core/writing/SubmissionFormat.h"

#include <gtest/gtest.h>

#include "core/wire/WireTokens.h"
#include "core/writing/LinkList.h"

namespace pellar {
namespace {

TEST(MiscInfoList, GroupsByRowOrderAndSkipsFollowUpRows)
{
    LinkList rows;
    rows.Add({LinkKind::Recipient, 6, ""});
    rows.Add({LinkKind::CommentTo, 100, ""});
    rows.Add({LinkKind::PresentationFor, 9, ""});
    EXPECT_EQ(SubmissionFormat::MiscInfoList(rows), "2 { 2 100 0 6 }");
    rows.Add({LinkKind::CarbonCopy, 7, ""});
    rows.Add({LinkKind::FootnoteTo, 101, ""});
    EXPECT_EQ(SubmissionFormat::MiscInfoList(rows), "4 { 1 7 2 100 4 101 0 6 }");
}

TEST(MiscInfoList, EmptyAndOverfull)
{
    LinkList rows;
    EXPECT_EQ(SubmissionFormat::MiscInfoList(rows), "0 {  }");
    for (int i = 1; i <= SubmissionFormat::kMaxMiscPairs; ++i)
        rows.Add({LinkKind::Recipient, i, ""});
    ASSERT_TRUE(SubmissionFormat::MiscInfoList(rows));
    rows.Add({LinkKind::CarbonCopy, 1000, ""});
    EXPECT_FALSE(SubmissionFormat::MiscInfoList(rows));
}

TEST(AuxItemList, ClientItemFirstThenOneItemPerCheck)
{
    const std::string client = "15 00000000 0 " + EncodeHollerith(SubmissionFormat::ClientItemData());
    EXPECT_EQ(SubmissionFormat::AuxItemList({}), "1 { " + client + " }");
    EXPECT_EQ(SubmissionFormat::AuxItemList({false, true, false}), "2 { " + client + " 4 00000000 0 0H }");
    EXPECT_EQ(SubmissionFormat::AuxItemList({true, true, true}),
              "4 { " + client + " 6 00000000 0 0H 4 00000000 0 0H 5 00000000 0 0H }");
    EXPECT_EQ(SubmissionFormat::ClientItemData().rfind("Pellar ", 0), 0u);
}

TEST(BuildText, NoCarriageReturnsAndNoTrailingEmptyLines)
{
    EXPECT_EQ(SubmissionFormat::BuildText("Subject", "line 1\r\nline 2\r\n\r\n\r\n"), "Subject\nline 1\nline 2");
    EXPECT_EQ(SubmissionFormat::BuildText("S", ""), "S");
    EXPECT_EQ(SubmissionFormat::BuildText("", ""), "");
    EXPECT_EQ(SubmissionFormat::BuildText("S", "a\r\rb"), "S\nab");
}

TEST(NewTextNumber, ReadsTheReplyValue)
{
    EXPECT_EQ(SubmissionFormat::NewTextNumber(" 4711"), 4711);
    EXPECT_EQ(SubmissionFormat::NewTextNumber(""), 0);
    EXPECT_EQ(SubmissionFormat::NewTextNumber(" x"), 0);
}

} // namespace
} // namespace pellar
