#include "core/reading/SubjectTree.h"

#include <gtest/gtest.h>

#include "core/wire/TextStatType.h"
#include "core/reading/SubjectTreeModel.h"

namespace pellar {
namespace {

TreeEntry Entry(int32_t text, std::string subject, std::vector<int32_t> parents = {})
{
    return TreeEntry{text, std::move(subject), "Author " + std::to_string(text), std::move(parents)};
}

std::vector<int32_t> ChildTexts(const SubjectTreeModel& tree, TreeNodeId node)
{
    std::vector<int32_t> out;
    for (TreeNodeId child : tree.At(node).children)
        out.push_back(tree.At(child).text);
    return out;
}

TEST(PlaceTextInTree, RootsGoUnderTheirSubjectAndShareIt)
{
    SubjectTreeModel tree;
    EXPECT_TRUE(PlaceTextInTree(tree, Entry(1, "Coffee")));
    EXPECT_TRUE(PlaceTextInTree(tree, Entry(2, "Tea")));
    EXPECT_TRUE(PlaceTextInTree(tree, Entry(3, "Coffee")));
    ASSERT_EQ(tree.TopLevel().size(), 2u);
    const auto& coffee = tree.At(tree.TopLevel()[0]);
    EXPECT_EQ(coffee.caption, "Coffee");
    EXPECT_EQ(coffee.text, 0);
    EXPECT_EQ(ChildTexts(tree, coffee.id), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(tree.At(coffee.children[0]).caption, "Author 1");
}

TEST(PlaceTextInTree, ACommentGoesUnderItsParentOrUnderASubjectWhenTheParentIsMissing)
{
    SubjectTreeModel tree;
    PlaceTextInTree(tree, Entry(1, "Coffee"));
    PlaceTextInTree(tree, Entry(2, "Re: Coffee", {1}));
    PlaceTextInTree(tree, Entry(3, "Orphan", {99}));
    const TreeNodeId node1 = tree.NodesOfText(1).at(0);
    EXPECT_EQ(ChildTexts(tree, node1), std::vector<int32_t>{2});
    ASSERT_EQ(tree.TopLevel().size(), 2u);
    EXPECT_EQ(tree.At(tree.TopLevel()[1]).caption, "Orphan");
}

TEST(PlaceTextInTree, ATextCommentingTwoTreeTextsGoesUnderBothAndItsChildrenFollow)
{
    SubjectTreeModel tree;
    PlaceTextInTree(tree, Entry(1, "A"));
    PlaceTextInTree(tree, Entry(2, "B"));
    PlaceTextInTree(tree, Entry(3, "Re: both", {1, 2}));
    EXPECT_EQ(tree.NodesOfText(3).size(), 2u);
    PlaceTextInTree(tree, Entry(4, "Re: Re: both", {3}));
    EXPECT_EQ(tree.NodesOfText(4).size(), 2u);
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{1, 3, 4, 2, 3, 4}));
}

TEST(PlaceTextInTree, ATextLinkedToItselfIsNotAddedAgain)
{
    SubjectTreeModel tree;
    PlaceTextInTree(tree, Entry(1, "A"));
    const int before = tree.NodeCount();
    EXPECT_FALSE(PlaceTextInTree(tree, Entry(1, "A", {1})));
    EXPECT_EQ(tree.NodeCount(), before);
}

TEST(PlaceTextInTree, LinkCyclesEnd)
{
    // 1 and 2 comment each other; each placement is bounded by the nodes that
    // existed when it started.
    SubjectTreeModel tree;
    PlaceTextInTree(tree, Entry(1, "A", {2}));
    PlaceTextInTree(tree, Entry(2, "B", {1}));
    PlaceTextInTree(tree, Entry(1, "A", {2}));
    EXPECT_EQ(tree.NodesOfText(1).size(), 2u);
    EXPECT_EQ(tree.NodesOfText(2).size(), 1u);
}

TEST(ParentLinks, CommentAndFootnoteLinksInOrder)
{
    TextStatType stat;
    auto commTo = std::make_shared<TMiscInfoCommTo>();
    commTo->textNo = 7;
    auto commIn = std::make_shared<TMiscInfoCommIn>();
    commIn->textNo = 8;
    auto footTo = std::make_shared<TMiscInfoFootTo>();
    footTo->textNo = 5;
    stat.AddMiscInfo(commTo);
    stat.AddMiscInfo(commIn);
    stat.AddMiscInfo(footTo);
    EXPECT_EQ(ParentLinks(stat), (std::vector<int32_t>{7, 5}));
}

TEST(SubjectTreeModel, ClearEmptiesTreeAndNodeMap)
{
    SubjectTreeModel tree;
    PlaceTextInTree(tree, Entry(1, "A"));
    tree.Clear();
    EXPECT_EQ(tree.NodeCount(), 0);
    EXPECT_TRUE(tree.NodesOfText(1).empty());
    EXPECT_FALSE(tree.FindTopLevel("A").has_value());
}

} // namespace
} // namespace pellar
