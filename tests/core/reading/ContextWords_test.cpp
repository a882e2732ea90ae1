#include "core/reading/ContextWords.h"

#include <set>

#include <gtest/gtest.h>

namespace pellar {
namespace {

class FakeWordSource : public ContextWordSource {
public:
    std::set<int32_t> names;
    std::set<int32_t> texts;
    std::vector<int32_t> nameQueries;

    bool HasName(int32_t n) override
    {
        nameQueries.push_back(n);
        return names.count(n) > 0;
    }
    bool HasTextStat(int32_t n) override { return texts.count(n) > 0; }
};

TEST(ContextWordsTrim, StripsBracketsAndPunctuationAtBothEndsOnly)
{
    EXPECT_EQ(ContextWords::Trim("(4711),"), "4711");
    EXPECT_EQ(ContextWords::Trim("[6]"), "6");
    EXPECT_EQ(ContextWords::Trim(" {<x.y>}; "), "x.y");
    EXPECT_EQ(ContextWords::Trim("a:b"), "a:b");
    EXPECT_EQ(ContextWords::Trim("().:"), "");
}

TEST(ContextWordsNumber, AcceptsWholeDecimalIntegersOnly)
{
    EXPECT_EQ(ContextWords::Number("4711"), 4711);
    EXPECT_EQ(ContextWords::Number("-3"), -3);
    EXPECT_EQ(ContextWords::Number("+5"), 5);
    EXPECT_FALSE(ContextWords::Number(""));
    EXPECT_FALSE(ContextWords::Number("12a"));
    EXPECT_FALSE(ContextWords::Number("++5"));
    EXPECT_FALSE(ContextWords::Number("99999999999"));
}

TEST(ContextWordsUrl, NeedsTextOnBothSidesOfAColon)
{
    EXPECT_TRUE(ContextWords::LooksLikeUrl("http://example.org/x"));
    EXPECT_TRUE(ContextWords::LooksLikeUrl("mailto:someone"));
    EXPECT_TRUE(ContextWords::LooksLikeUrl("a:b"));
    EXPECT_FALSE(ContextWords::LooksLikeUrl(":b"));
    EXPECT_FALSE(ContextWords::LooksLikeUrl("a:"));
    EXPECT_FALSE(ContextWords::LooksLikeUrl("plain"));
    EXPECT_TRUE(ContextWords::LooksLikeUrl("a: b"));  // each field skips leading blanks
    EXPECT_FALSE(ContextWords::LooksLikeUrl("a: "));
    EXPECT_TRUE(ContextWords::LooksLikeUrl("\tab:cd"));
}

TEST(ContextWordsUrl, LeadingUrlPrefixIsDroppedInAnyCase)
{
    EXPECT_EQ(ContextWords::UrlToOpen("URL:http://x"), "http://x");
    EXPECT_EQ(ContextWords::UrlToOpen("url:http://x"), "http://x");
    EXPECT_EQ(ContextWords::UrlToOpen("http://x"), "http://x");
    EXPECT_EQ(ContextWords::UrlToOpen("UR"), "UR");
}

TEST(ContextWordsOffer, TextNumberInBracketsOffersTextCommands)
{
    FakeWordSource source;
    source.texts = {4711};
    const auto offer = ContextWords::Offer("(4711),", source);
    EXPECT_TRUE(offer.textCommands);
    EXPECT_FALSE(offer.presentation);
    EXPECT_FALSE(offer.noSuchText);
    EXPECT_FALSE(offer.openUrl);
}

TEST(ContextWordsOffer, NumbersAboveConferenceRangeAreNeverLookedUpAsNames)
{
    FakeWordSource source;
    source.names = {70000, 6};
    EXPECT_FALSE(ContextWords::Offer("70000", source).presentation);
    EXPECT_TRUE(source.nameQueries.empty());
    EXPECT_TRUE(ContextWords::Offer("70000", source).noSuchText);
    source.texts = {-5};
    EXPECT_FALSE(ContextWords::Offer("-5", source).textCommands);
    EXPECT_TRUE(ContextWords::Offer("-5", source).noSuchText);
    EXPECT_TRUE(source.nameQueries.empty());
    const auto offer = ContextWords::Offer("[6]", source);
    EXPECT_TRUE(offer.presentation);
    EXPECT_FALSE(offer.noSuchText);
}

TEST(ContextWordsOffer, WordThatIsNoNumberOnlyOffersUrlOrNothing)
{
    FakeWordSource source;
    const auto url = ContextWords::Offer("<http://example.org>", source);
    EXPECT_TRUE(url.openUrl);
    EXPECT_FALSE(url.noSuchText);  // an address is no number that failed
    EXPECT_TRUE(url.Any());
    const auto word = ContextWords::Offer("hello", source);
    EXPECT_FALSE(word.openUrl);
    EXPECT_FALSE(word.noSuchText);
    EXPECT_FALSE(word.Any());
    EXPECT_FALSE(ContextWords::Offer("", source).Any());
    EXPECT_TRUE(source.nameQueries.empty());
}

} // namespace
} // namespace pellar
