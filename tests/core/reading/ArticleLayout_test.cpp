#include "core/reading/ArticleLayout.h"

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "support/FakeLocale.h"
#include "support/Lookup.h"
#include "support/MiscItems.h"

namespace pellar {
namespace {

using test::Link;
using test::Lookup;
using test::Recipient;

class FakeSource : public TextSource {
public:
    std::map<int32_t, std::shared_ptr<TMiravoText>> texts;
    std::map<int32_t, std::shared_ptr<TextStatType>> stats;
    std::map<int32_t, std::string> names;

    std::shared_ptr<TMiravoText> GetText(int32_t t) override { return Lookup(texts, t, nullptr); }
    std::shared_ptr<TextStatType> GetTextStat(int32_t t) override { return Lookup(stats, t, nullptr); }
    std::string GetName(int32_t n) override { return Lookup(names, n, "*Unknown*"); }

    // A text by author with contents, created at a fixed time.
    std::shared_ptr<TextStatType> Add(int32_t no, int32_t author, std::string contents)
    {
        texts[no] = std::make_shared<TMiravoText>(no, std::move(contents));
        auto stat = std::make_shared<TextStatType>();
        stat->SetHeader(kWhen, author, 1, 1, 0);
        stats[no] = stat;
        return stat;
    }

    static constexpr TDateTime kWhen = 45000.5;
};

std::string Joined(const std::vector<StyledRun>& runs)
{
    std::string all;
    for (const auto& r : runs)
        all += r.text;
    return all;
}

class ArticleLayoutTest : public ::testing::Test {
protected:
    ArticleLayoutTest()
    {
        source.names = {{6, "Alice"}, {7, "Bob"}, {20, "Talk"}, {21, "News"}};
    }

    std::vector<StyledRun> Layout(int32_t text, ArticleMode mode = ArticleMode::Full, bool reformat = false)
    {
        ArticleLayout layout(source, fonts, reformat);
        std::vector<StyledRun> runs;
        result = layout.Format(text, mode, runs);
        return runs;
    }

    FakeSource source;
    ArticleFonts fonts;
    ArticleResult result;
    const std::string when = FormatDateTime(FakeSource::kWhen);
};

TEST_F(ArticleLayoutTest, FullModeLaysOutHeaderRecipientsSubjectBodyAndEnd)
{
    auto stat = source.Add(100, 6, "Hello\r\nLine one\r\nLine two\r\n");
    stat->SetMiscInfos({Recipient(20, 3), Recipient(21, 9, true, 7, FakeSource::kWhen)});

    const auto runs = Layout(100);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], (StyledRun{"100 " + when + ", By [6] Alice\r", fonts.header, true}));
    EXPECT_EQ(runs[1], (StyledRun{"Recipient: [20] Talk (3)\rCarbon Copy: [21] News (9), sent by [7] Bob at " + when +
                                      "\r \r",
                                  fonts.header, false}));
    EXPECT_EQ(runs[2], (StyledRun{"Subject: Hello\r\r", fonts.body, true}));
    EXPECT_EQ(runs[3], (StyledRun{"Line one\rLine two\r--- 100 ---\r", fonts.body, false}));
    EXPECT_TRUE(result.shown);
    EXPECT_FALSE(result.isComment);
    EXPECT_FALSE(result.hasComments);
}

TEST_F(ArticleLayoutTest, AuxItemPutsMarkerInHeader)
{
    auto stat = source.Add(5, 6, "s\nb");
    stat->AddAuxItem(AuxItemRec{1, 15, 6, 0, "00000000", 0, "client"});
    const auto runs = Layout(5, ArticleMode::Compact);
    EXPECT_EQ(runs.front().text, "5 * " + when + ", By [6] Alice\r");
}

TEST_F(ArticleLayoutTest, MarksLineCountsInWordsThenDigits)
{
    EXPECT_EQ(ArticleLayout::MarksLine(0), "");
    EXPECT_EQ(ArticleLayout::MarksLine(1), "Marked by one person\r");
    EXPECT_EQ(ArticleLayout::MarksLine(2), "Marked by two persons\r");
    EXPECT_EQ(ArticleLayout::MarksLine(3), "Marked by three persons\r");
    EXPECT_EQ(ArticleLayout::MarksLine(4), "Marked by 4 persons\r");

    auto stat = source.Add(5, 6, "s\nb");
    stat->SetNoOfMarks(7);
    EXPECT_NE(Joined(Layout(5)).find("Marked by 7 persons\r \r"), std::string::npos);
}

TEST_F(ArticleLayoutTest, LinksShowTheirAuthorsAndSetIsComment)
{
    source.Add(50, 7, "parent\nx");
    source.Add(51, 6, "own\nx");
    auto stat = source.Add(100, 6, "re\nbody");
    // Text 52 has no status: no line for it.
    stat->SetMiscInfos({Link<TMiscInfoCommTo>(50), Link<TMiscInfoCommTo>(52), Link<TMiscInfoFootTo>(51)});
    const std::string all = Joined(Layout(100));
    EXPECT_NE(all.find("Comment to: 50 by [7] Bob\rFootnote to: 51 by [6] Alice\r \r"), std::string::npos);
    EXPECT_EQ(all.find("52"), std::string::npos);
    EXPECT_TRUE(result.isComment);
}

TEST_F(ArticleLayoutTest, TrailerHasInlineFootnotesCommentsAndTag2Lines)
{
    auto stat = source.Add(100, 6, "subj\nbody");
    source.Add(101, 6, "foot subject\nfoot body");
    stat->SetMiscInfos({Link<TMiscInfoFootIn>(101), Link<TMiscInfoCommIn>(200), Link<TMiscInfoCommIn>(201)});
    stat->AddAuxItem(AuxItemRec{1, 2, 7, FakeSource::kWhen, "00000000", 0, "faq"});
    stat->AddAuxItem(AuxItemRec{2, 3, 7, FakeSource::kWhen, "00000000", 0, "ignored"});
    const std::string all = Joined(Layout(100));
    const std::string expectedTail = "body--- 100 ---\r"
                                     "101 " + when + ", By [6] Alice\rfoot body--- 101 ---\r"
                                     "Comments in: 200, 201\r"
                                     "[7] Bob, " + when + " \"faq\"\r";
    ASSERT_GE(all.size(), expectedTail.size());
    EXPECT_EQ(all.substr(all.size() - expectedTail.size()), expectedTail);
    EXPECT_EQ(all.find("ignored"), std::string::npos);
    EXPECT_TRUE(result.hasComments);
}

// Every time in an article is written as the given locale writes it: the
// header, a recipient's sent-at and a tag-2 line's creation.
TEST_F(ArticleLayoutTest, TimesAreWrittenInTheLocaleGiven)
{
    auto stat = source.Add(100, 6, "subj\nbody");
    stat->SetMiscInfos({Recipient(21, 9, true, 7, FakeSource::kWhen)});
    stat->AddAuxItem(AuxItemRec{1, 2, 7, FakeSource::kWhen, "00000000", 0, "faq"});
    const test::FakeLocale locale;
    ArticleLayout layout(source, fonts, false, locale);
    std::vector<StyledRun> runs;
    ASSERT_TRUE(layout.Format(100, ArticleMode::Full, runs).shown);
    const std::string all = Joined(runs);
    const std::string local = FormatDateTime(FakeSource::kWhen, locale);
    ASSERT_NE(local, when);
    EXPECT_EQ(all.find(when), std::string::npos);
    EXPECT_EQ(all.rfind("100 * " + local + ", By [6] Alice\r", 0), 0u);
    EXPECT_NE(all.find("sent by [7] Bob at " + local + "\r"), std::string::npos);
    EXPECT_NE(all.find("[7] Bob, " + local + " \"faq\"\r"), std::string::npos);
}

// The article's own words come from the locale (the user's language); the
// server's text around them, a subject that reads like a label included, is
// never passed to it.
TEST_F(ArticleLayoutTest, LabelsAreTheLocalesWordsAndServerTextStaysAsWritten)
{
    class Words final : public LocalePort {
    public:
        std::string FormatDateTime(const CalendarTime& t) const override { return PlainLocalePort().FormatDateTime(t); }
        int CompareNames(std::string_view a, std::string_view b) const override
        {
            return PlainLocalePort().CompareNames(a, b);
        }
        std::string Label(std::string_view english) const override
        {
            asked.emplace_back(english);
            return "<" + std::string(english) + ">";
        }
        mutable std::vector<std::string> asked;
    } words;
    source.Add(90, 7, "parent\nbody");
    auto stat = source.Add(100, 6, "Subject: by\nbody");
    stat->SetNoOfMarks(2);
    stat->SetMiscInfos({Recipient(20, 3), Recipient(21, 9, true, 7, FakeSource::kWhen), Link<TMiscInfoCommTo>(90),
                        Link<TMiscInfoCommIn>(101)});
    ArticleLayout layout(source, fonts, false, words);
    std::vector<StyledRun> runs;
    ASSERT_TRUE(layout.Format(100, ArticleMode::Full, runs).shown);
    const std::string all = Joined(runs);
    EXPECT_EQ(all.rfind("100 " + when + ", <By> [6] Alice\r", 0), 0u) << all;
    EXPECT_NE(all.find("<Recipient:> [20] Talk (3)\r"), std::string::npos) << all;
    EXPECT_NE(all.find("<Carbon Copy:> [21] News (9), <sent by> [7] Bob <at> " + when + "\r"), std::string::npos);
    EXPECT_NE(all.find("<Comment to:> 90 <by> [7] Bob\r"), std::string::npos) << all;
    EXPECT_NE(all.find("<Marked by two persons>\r"), std::string::npos) << all;
    EXPECT_NE(all.find("<Subject:> Subject: by\r"), std::string::npos) << all;
    EXPECT_NE(all.find("<Comments in:> 101\r"), std::string::npos) << all;
    for (const std::string& english : words.asked)
        EXPECT_EQ(english.find("Alice"), std::string::npos) << english;
    EXPECT_EQ(std::count(words.asked.begin(), words.asked.end(), "Subject: by"), 0);
}

TEST_F(ArticleLayoutTest, CompactModeIsHeaderBodyAndEndOnly)
{
    auto stat = source.Add(100, 6, "subj\nbody\n");
    stat->SetMiscInfos({Recipient(20, 0), Link<TMiscInfoCommIn>(7)});
    const auto runs = Layout(100, ArticleMode::Compact);
    EXPECT_EQ(Joined(runs), "100 " + when + ", By [6] Alice\rbody--- 100 ---\r");
}

TEST_F(ArticleLayoutTest, TextWithoutBodyOrStatusShowsNothing)
{
    source.Add(1, 6, "s\nb");
    source.stats.erase(1);
    source.Add(2, 6, "s\nb");
    source.texts.erase(2);
    EXPECT_TRUE(Layout(1).empty());
    EXPECT_FALSE(result.shown);
    EXPECT_TRUE(Layout(2).empty());
    EXPECT_TRUE(Layout(3).empty());
}

TEST_F(ArticleLayoutTest, FootnoteOfItselfIsShownOnceNotForever)
{
    auto stat = source.Add(9, 6, "s\nb");
    stat->SetMiscInfos({Link<TMiscInfoFootIn>(9)});
    const std::string all = Joined(Layout(9));
    // The text itself, then once more as its own inline footnote.
    size_t count = 0;
    for (size_t at = all.find("--- 9 ---"); at != std::string::npos; at = all.find("--- 9 ---", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(ArticleLayoutTest, ServerBytesArePassedThroughAsText)
{
    source.Add(4, 6, std::string("<b>x</b>\r\n<i>y\0z</i>", 20));
    const std::string all = Joined(Layout(4));
    EXPECT_NE(all.find("Subject: <b>x</b>\r\r<i>y z</i>--- 4 ---"), std::string::npos);
}

struct ReformatCase {
    const char* name;
    std::string in;
    std::string out;
};

class ReformatTest : public ::testing::TestWithParam<ReformatCase> {};

TEST_P(ReformatTest, PreparesBodyForDisplay)
{
    EXPECT_EQ(ArticleLayout::PrepareBody(GetParam().in, true), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ReformatTest,
    ::testing::Values(
        ReformatCase{"JoinsWrappedLine", "one\r\ntwo\r\nthree", "one two three\r"},
        ReformatCase{"FinalBreakBecomesBlank", "a\r\nb\r\n", "a b \r"},
        ReformatCase{"KeepsBlankLine", "para\r\n\r\nnext one", "para\r\rnext one\r"},
        ReformatCase{"KeepsQuotation", "I said\r\n> quoted\r\nanswer", "I said\r> quoted answer\r"},
        ReformatCase{"KeepsIndentAndListDash", "x\r\n indented\r\n- item\r\nmore text", "x\r indented\r- item more text\r"},
        ReformatCase{"KeepsLatinDiaeresisStart", "x\r\n\xa8y\r\nend text", "x\r\xa8y end text\r"},
        ReformatCase{"NulBecomesBlank", std::string("a\0b", 3), "a b\r"},
        ReformatCase{"EmptyBodyGetsOneBreak", "", "\r"},
        ReformatCase{"LoneCarriageReturnAtEnd", "abc\r", "abc\r"}),
    [](const auto& info) { return info.param.name; });

TEST(PrepareBody, WithoutReformattingOnlyDropsLineFeedsAndNuls)
{
    EXPECT_EQ(ArticleLayout::PrepareBody(std::string("a\r\nb\0c\r\n", 8), false), "a\rb c\r");
}

} // namespace
} // namespace pellar
