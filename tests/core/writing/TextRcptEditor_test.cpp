#include "core/writing/TextRcptEditor.h"

#include <gtest/gtest.h>

#include "support/FakeWritingServices.h"
#include "support/MiscItems.h"

namespace pellar {
namespace {

using test::FakeWritingServices;
using test::Link;

class TextRcptEditorTest : public ::testing::Test {
protected:
    TextRcptEditorTest()
    {
        services.names = {{6, "Me"}, {7, "Other"}, {20, "Talk"}, {21, "News"}};
        services.AddText(50, 7, "parent\nx");
        auto stat = services.AddText(100, 6, "s\nb");
        FakeWritingServices::AddRecipient(*stat, 20);
        FakeWritingServices::AddRecipient(*stat, 21, true);
        stat->AddMiscInfo(Link<TMiscInfoCommTo>(50));
        stat->AddMiscInfo(Link<TMiscInfoFootTo>(51));  // no status: empty "By"
        stat->AddMiscInfo(Link<TMiscInfoCommIn>(60));   // not listed
        stat->AddAuxItem(AuxItemRec{3, 15, 6, 0, "00000000", 0, "client"});
    }

    FakeWritingServices services;
    TextRcptEditor editor{services, 100};
};

TEST_F(TextRcptEditorTest, ShowFillsListsCaptionAndAuxItems)
{
    ASSERT_TRUE(editor.Show());
    EXPECT_EQ(editor.Caption(), "Text properties for text 100 by [6] Me");
    EXPECT_EQ(editor.Recipients(), (std::vector<RcptEditorRow>{{"20", "Talk"}}));
    EXPECT_EQ(editor.CarbonCopies(), (std::vector<RcptEditorRow>{{"21", "News"}}));
    EXPECT_EQ(editor.CommentTo(), (std::vector<RcptEditorRow>{{"50", "Other"}}));
    EXPECT_EQ(editor.FootnoteTo(), (std::vector<RcptEditorRow>{{"51", ""}}));
    ASSERT_EQ(editor.AuxItems().size(), 1u);
    EXPECT_EQ(editor.AuxItems()[0].creator, "[6] Me");
    EXPECT_EQ(editor.AuxItems()[0].data, "client");
}

TEST_F(TextRcptEditorTest, NoSuchTextClosesTheWindow)
{
    TextRcptEditor none(services, 0);
    EXPECT_FALSE(none.Show());
    TextRcptEditor missing(services, 999);
    EXPECT_FALSE(missing.Show());
    EXPECT_EQ(missing.Caption(), "Text properties");
}

TEST_F(TextRcptEditorTest, AddingRecipientsSendsKindAndRefreshes)
{
    ASSERT_TRUE(editor.Show());
    FakeWritingServices::AddRecipient(*services.stats[100], 7);  // what the server now says
    EXPECT_TRUE(editor.AddRecipient(7, false));
    EXPECT_TRUE(editor.AddRecipient(8, true));
    ASSERT_EQ(services.sent.size(), 2u);
    EXPECT_EQ(services.sent[0].number, 30);
    EXPECT_EQ(services.sent[0].args, "100 7 0");
    EXPECT_EQ(services.sent[0].label, "Add recipient");
    EXPECT_EQ(services.sent[1].args, "100 8 1");
    EXPECT_EQ(services.sent[1].label, "Add CC recipient");
    EXPECT_EQ(services.forgotten, (std::vector<int32_t>{100, 100}));
    EXPECT_EQ(editor.Recipients().size(), 2u);
}

TEST_F(TextRcptEditorTest, InvalidInputIsRefusedWithoutARequest)
{
    EXPECT_FALSE(editor.AddRecipient(0, false));
    EXPECT_FALSE(editor.AddLink("x", false));
    EXPECT_FALSE(editor.AddLink("-4", true));
    EXPECT_FALSE(editor.RemoveRecipient("0"));
    EXPECT_FALSE(editor.RemoveLink("", true));
    EXPECT_TRUE(services.sent.empty());
    EXPECT_EQ(services.messages, (std::vector<std::string>{"!Invalid conference or user", "!Invalid text number",
                                                           "!Invalid text number"}));
}

TEST_F(TextRcptEditorTest, LinkRequestsUseTheirNumbersAndForgetBothTexts)
{
    ASSERT_TRUE(editor.Show());
    EXPECT_TRUE(editor.AddLink("50", false));
    EXPECT_TRUE(editor.AddLink("50", true));
    EXPECT_TRUE(editor.RemoveLink("50", false));
    EXPECT_TRUE(editor.RemoveLink("51", true));
    EXPECT_TRUE(editor.RemoveRecipient("21"));
    std::vector<std::pair<int32_t, std::string>> sent;
    for (const auto& s : services.sent)
        sent.emplace_back(s.number, s.label + ": " + s.args);
    EXPECT_EQ(sent, (std::vector<std::pair<int32_t, std::string>>{{32, "Add comment: 100 50"},
                                                                  {37, "Add footnote to: 100 50"},
                                                                  {33, "Remove comment: 100 50"},
                                                                  {38, "Remove footnote to: 100 51"},
                                                                  {31, "Remove recipient: 100 21"}}));
    EXPECT_EQ(services.forgotten, (std::vector<int32_t>{100, 50, 100, 50, 100, 50, 100, 51, 100}));
}

TEST_F(TextRcptEditorTest, FailedChangeLeavesListsAlone)
{
    ASSERT_TRUE(editor.Show());
    services.replies[31] = {false, ""};
    services.stats[100] = std::make_shared<TextStatType>();  // would empty the lists if re-read
    EXPECT_FALSE(editor.RemoveRecipient("20"));
    EXPECT_EQ(editor.Recipients().size(), 1u);
    EXPECT_TRUE(services.forgotten.empty());
}

TEST(TextRcptEditorButtons, RemoveNeedsASelectedPositiveNumber)
{
    const std::string zero = "0", text = "abc", good = "12";
    EXPECT_FALSE(TextRcptEditor::CanRemove(nullptr));
    EXPECT_FALSE(TextRcptEditor::CanRemove(&zero));
    EXPECT_FALSE(TextRcptEditor::CanRemove(&text));
    EXPECT_TRUE(TextRcptEditor::CanRemove(&good));
    EXPECT_FALSE(TextRcptEditor::CanAdd(""));
    EXPECT_TRUE(TextRcptEditor::CanAdd("x"));
}

} // namespace
} // namespace pellar
