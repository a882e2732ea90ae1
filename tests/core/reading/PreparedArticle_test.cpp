// The article as the reading window receives it: names resolved once and
// marked when they fail, the commented texts and footnotes, the commented
// pane's layout, the read-confirmation question, and texts that cannot be had.
#include "core/reading/PreparedArticle.h"

#include <map>

#include <gtest/gtest.h>

#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "support/Lookup.h"
#include "support/MiscItems.h"

namespace pellar {
namespace {

using test::Link;
using test::Lookup;
using test::Recipient;

class CountingSource : public TextSource {
public:
    std::map<int32_t, std::shared_ptr<TMiravoText>> texts;
    std::map<int32_t, std::shared_ptr<TextStatType>> stats;
    std::map<int32_t, std::string> names;
    std::map<int32_t, int> nameAsks;

    std::shared_ptr<TMiravoText> GetText(int32_t t) override { return Lookup(texts, t, nullptr); }
    std::shared_ptr<TextStatType> GetTextStat(int32_t t) override { return Lookup(stats, t, nullptr); }
    std::string GetName(int32_t n) override
    {
        ++nameAsks[n];
        return Lookup(names, n, "*Unknown*");
    }

    std::shared_ptr<TextStatType> Add(int32_t no, int32_t author, std::string contents)
    {
        texts[no] = std::make_shared<TMiravoText>(no, std::move(contents));
        auto stat = std::make_shared<TextStatType>();
        stat->SetHeader(45000.5, author, 1, 1, 0);
        stats[no] = stat;
        return stat;
    }
};

std::string Joined(const std::vector<StyledRun>& runs)
{
    std::string all;
    for (const auto& r : runs)
        all += r.text;
    return all;
}

class PreparedArticleTest : public ::testing::Test {
protected:
    PreparedArticleTest() { source.names = {{6, "Alice"}, {7, "Bob"}, {20, "Talk"}, {21, "News"}}; }

    PreparedArticle Prepare(int32_t text)
    {
        return PrepareArticle(source, options, PlainLocalePort(), text);
    }

    CountingSource source;
    ArticleOptions options;
};

TEST_F(PreparedArticleTest, AuthorAndRecipientsComeWithTheirNamesEachAskedOnce)
{
    auto stat = source.Add(100, 6, "Hello\r\nbody\r\n");
    // Alice is author, recipient-adder and the second recipient's sender.
    stat->SetMiscInfos({Recipient(20, 3), Recipient(21, 9, true, 6, 45000.5), Recipient(6, 1)});

    const PreparedArticle article = Prepare(100);
    ASSERT_TRUE(article.available);
    EXPECT_EQ(article.text, 100);
    EXPECT_EQ(article.subject, "Hello");
    EXPECT_EQ(article.author, (ArticleParty{6, "Alice", true}));
    ASSERT_EQ(article.recipients.size(), 3u);
    EXPECT_EQ(article.recipients[0], (ArticleParty{20, "Talk", true}));
    EXPECT_EQ(article.recipients[1], (ArticleParty{21, "News", true}));
    EXPECT_EQ(article.recipients[2], (ArticleParty{6, "Alice", true}));
    EXPECT_EQ(article.unresolvedNames, 0);
    EXPECT_EQ(source.nameAsks[6], 1);
    EXPECT_EQ(source.nameAsks[20], 1);
    // The pane's runs are the layout's, names in place.
    EXPECT_NE(Joined(article.runs).find("By [6] Alice\r"), std::string::npos);
    EXPECT_NE(Joined(article.runs).find("Recipient: [20] Talk (3)"), std::string::npos);
}

TEST_F(PreparedArticleTest, ANameThatFailsIsMarkedUnresolvedAndShownAsUnknown)
{
    auto stat = source.Add(100, 66, "s\nb");
    stat->SetMiscInfos({Recipient(20, 1), Recipient(77, 2)});

    const PreparedArticle article = Prepare(100);
    ASSERT_TRUE(article.available);
    EXPECT_EQ(article.author, (ArticleParty{66, "*Unknown*", false}));
    EXPECT_EQ(article.recipients[0], (ArticleParty{20, "Talk", true}));
    EXPECT_EQ(article.recipients[1], (ArticleParty{77, "*Unknown*", false}));
    EXPECT_EQ(article.unresolvedNames, 2);
    EXPECT_NE(Joined(article.runs).find("By [66] *Unknown*"), std::string::npos);
    // A failed name is not asked again within the article.
    EXPECT_EQ(source.nameAsks[66], 1);
}

TEST_F(PreparedArticleTest, CommentedTextsFootnotesAndCommentsAreListedInOrder)
{
    source.Add(50, 7, "parent\nfirst parent body");
    source.Add(51, 6, "own\nannotated body");
    source.Add(101, 6, "foot\nfoot body");
    auto stat = source.Add(100, 6, "re\nbody");
    stat->SetMiscInfos({Link<TMiscInfoCommTo>(50), Link<TMiscInfoFootTo>(51), Link<TMiscInfoFootIn>(101),
                        Link<TMiscInfoCommIn>(200), Link<TMiscInfoCommIn>(201)});

    options.withCommented = true;
    const PreparedArticle article = Prepare(100);
    EXPECT_EQ(article.commented, (std::vector<int32_t>{50, 51}));
    EXPECT_EQ(article.footnotes, (std::vector<int32_t>{101}));
    EXPECT_EQ(article.comments, (std::vector<int32_t>{200, 201}));
    EXPECT_TRUE(article.result.isComment);
    EXPECT_TRUE(article.result.hasComments);
    // The commented pane has both parents in their compact form, in order.
    const std::string commented = Joined(article.commentedRuns);
    const auto first = commented.find("first parent body--- 50 ---");
    const auto second = commented.find("annotated body--- 51 ---");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(commented.find("Subject:"), std::string::npos);
    // The footnote is inline in the article itself.
    EXPECT_NE(Joined(article.runs).find("foot body--- 101 ---"), std::string::npos);

    options.withCommented = false;
    EXPECT_TRUE(Prepare(100).commentedRuns.empty());
}

TEST_F(PreparedArticleTest, AMissingOrSecretTextIsNotAvailableAndCarriesNothingToDraw)
{
    // Secret: the server gives the status but not the body.
    auto stat = source.Add(100, 6, "s\nb");
    source.texts.erase(100);
    const PreparedArticle secret = Prepare(100);
    EXPECT_FALSE(secret.available);
    EXPECT_EQ(secret.text, 100);
    EXPECT_EQ(secret.missing, "No such text");
    EXPECT_TRUE(secret.runs.empty());
    EXPECT_FALSE(secret.result.shown);

    const PreparedArticle missing = Prepare(4711);
    EXPECT_FALSE(missing.available);
    EXPECT_TRUE(missing.runs.empty());
    EXPECT_TRUE(missing.recipients.empty());

    // A commented text that cannot be had leaves the pane without it.
    source.Add(101, 6, "re\nbody");
    source.stats[101]->SetMiscInfos({Link<TMiscInfoCommTo>(100)});
    options.withCommented = true;
    const PreparedArticle comment = Prepare(101);
    ASSERT_TRUE(comment.available);
    EXPECT_EQ(comment.commented, (std::vector<int32_t>{100}));
    EXPECT_TRUE(comment.commentedRuns.empty());
}

TEST_F(PreparedArticleTest, AWantedReadConfirmationIsAskedUnlessTheReaderGaveIt)
{
    auto stat = source.Add(100, 6, "s\nb");
    stat->AddAuxItem(AuxItemRec{1, 6, 7, 45000.5, "00000000", 0, ""});
    options.reader = 6;
    const PreparedArticle wanted = Prepare(100);
    ASSERT_TRUE(wanted.confirmationWanted.has_value());
    EXPECT_EQ(*wanted.confirmationWanted, (ArticleParty{7, "Bob", true}));

    // Another reader's confirmation does not count for this one.
    stat->AddAuxItem(AuxItemRec{2, 7, 21, 45000.5, "00000000", 0, ""});
    EXPECT_TRUE(Prepare(100).confirmationWanted.has_value());
    stat->AddAuxItem(AuxItemRec{3, 7, 6, 45000.5, "00000000", 0, ""});
    EXPECT_FALSE(Prepare(100).confirmationWanted.has_value());
}

} // namespace
} // namespace pellar
