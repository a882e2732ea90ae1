#include "core/writing/LinkList.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

std::vector<std::string> Types(const LinkList& list)
{
    std::vector<std::string> out;
    for (const auto& r : list.Rows())
        out.push_back(std::string(LinkList::TypeText(r.kind)) + " " + std::to_string(r.number));
    return out;
}

TEST(LinkList, RowsSortByTypeTextAndKeepOrderWithinAKind)
{
    LinkList list;
    list.Add({LinkKind::Recipient, 6, "Alice"});
    list.Add({LinkKind::PresentationFor, 9, ""});
    list.Add({LinkKind::CommentTo, 100, ""});
    list.Add({LinkKind::Recipient, 5, ""});
    list.Add({LinkKind::MotdFor, 8, ""});
    list.Add({LinkKind::FootnoteTo, 101, ""});
    list.Add({LinkKind::CarbonCopy, 7, ""});
    EXPECT_EQ(Types(list), (std::vector<std::string>{"Carbon copy 7", "Comment to 100", "Footnote to 101",
                                                     "Message of the day for 8", "Presentation for 9",
                                                     "Recipient 6", "Recipient 5"}));
}

TEST(LinkList, RepeatedRecipientOrLinkIsNotAdded)
{
    LinkList list;
    EXPECT_TRUE(list.Add({LinkKind::Recipient, 6, ""}));
    EXPECT_FALSE(list.Add({LinkKind::Recipient, 6, ""}));
    EXPECT_FALSE(list.Add({LinkKind::CarbonCopy, 6, ""}));
    EXPECT_TRUE(list.Add({LinkKind::CommentTo, 6, ""}));  // text 6 is not conference 6
    EXPECT_FALSE(list.Add({LinkKind::CommentTo, 6, ""}));
    EXPECT_TRUE(list.Add({LinkKind::PresentationFor, 6, ""}));
    EXPECT_EQ(list.Rows().size(), 3u);
}

TEST(LinkList, RemoveHasNumbersAndRowText)
{
    LinkList list;
    list.Add({LinkKind::Recipient, 6, "Alice"});
    list.Add({LinkKind::CarbonCopy, 7, "Bob"});
    EXPECT_EQ(list.RowText(0), "Carbon copy 7 Bob");
    EXPECT_EQ(list.RowText(5), "");
    EXPECT_TRUE(list.Has(LinkKind::Recipient));
    EXPECT_EQ(list.Numbers(LinkKind::Recipient), std::vector<int32_t>{6});
    EXPECT_TRUE(list.Remove(1));
    EXPECT_FALSE(list.Remove(1));
    EXPECT_FALSE(list.Has(LinkKind::Recipient));
}

} // namespace
} // namespace pellar
