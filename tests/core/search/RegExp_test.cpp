#include "core/search/RegExp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>

namespace pellar {
namespace {

// The presets of the find window.
const char* const kUrlPreset = "{[Uu][rR][lL] *\\:}*[a-zA-Z][a-zA-Z0-9]*\\://[a-zA-Z0-9\\?\\=\\+\\.\\-_/~]+";
const char* const kMailPreset = "[a-zA-Z0-9\\.]+@[a-zA-Z0-9]+\\.[a-zA-Z0-9\\.]+";

struct SearchCase {
    const char* pattern;
    std::string subject;
    std::size_t position;  // 0: no match
    std::size_t length;
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << "pattern \"" << c.pattern << "\" in \"" << c.subject << "\"";
}

class RegExpSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(RegExpSearch, FindsLeftmostLongestMatch)
{
    const SearchCase& c = GetParam();
    const auto re = RegExp::Compile(c.pattern);
    ASSERT_TRUE(re.has_value());
    const auto r = re->Search(c.subject);
    if (c.position == 0) {
        EXPECT_EQ(r.outcome, RegexpOutcome::NoMatch);
        return;
    }
    ASSERT_EQ(r.outcome, RegexpOutcome::Match);
    EXPECT_EQ(r.position, c.position);
    EXPECT_EQ(r.length, c.length);
}

const SearchCase kSearchCases[] = {
    // Star and plus.
    {"a*b", "aaab", 1, 4},
    {"a*b", "b", 1, 1},
    {"a*b", "xxaab", 3, 3},
    {"a+b", "xxaab", 3, 3},
    {"a+b", "b", 0, 0},
    {"[abc]+", "xxcabbad", 3, 5},
    {"{ab}+", "ababab", 1, 6},
    {"{ab}+", "ababa", 1, 4},
    {"[{ab}c]*", "abcab", 1, 5},
    {"[{ab}c]*", "abacab", 1, 2},
    {"x*", "abc", 1, 0},
    {"x*", "xxab", 1, 2},
    {"x*", "", 0, 0},
    {"a**", "aa*", 1, 3},  // a second operator is a literal character
    {"*a", "x*a", 2, 2},   // so is an operator with nothing before it
    // Ranges and escapes.
    {"a-z+", "12abc3", 3, 3},
    {"a-z+", "09xyz{", 3, 3},  // both bounds belong to the range, nothing past them
    {"\\a-z+", "12abc3", 3, 3},  // the escape only affects the first character
    {"\\-", "a-b", 2, 1},
    {"0-9+\\-0-9+", "tel 08-123 x", 5, 6},
    {"a-c", "d", 0, 0},
    {"\\.", "ab.c", 3, 1},
    {"\\[x", "[x", 1, 2},
    {"\\}x", "a}x", 2, 2},
    // Characters are unsigned bytes, compared exactly.
    {"\xe5", "k\xe5k", 2, 1},
    {"\x80-\xff+", "ab\xe5\xe4\xf6z", 3, 3},
    {"abc", "ABC abc", 5, 3},
    {"ABC", "abc", 0, 0},
    // The dot.
    {"a.c", "abc", 1, 3},
    {"a.c", "a\nc a\rc", 0, 0},
    {".+", "ab\ncd", 1, 2},
    // Groups.
    {"[ab]c", "xbc", 2, 2},
    {"[]a", "aaa", 0, 0},  // an empty alternation has no way through
    {"{}a", "xa", 2, 1},
    {"", "abc", 1, 0},
    {"a]b", "a]b", 1, 3},  // "]" outside an alternation is an ordinary character
    {"[a}]+", "x}a}", 2, 3},  // and "}" inside one
    // An unescaped "}" closes the pattern; the rest is ignored.
    {"ab}cd", "xabyy", 2, 2},
    {"ab}*", "ab", 1, 2},
    // Longest wins over first.
    {"[a{ab}]", "ab", 1, 2},
    {"[{ab}a]", "ab", 1, 2},
    // The end of the text: NUL ends it, no match tried after the last character.
    {"b", std::string("a\0b", 3), 0, 0},
    {"a*", std::string("\0a", 2), 0, 0},
    // The presets.
    {kUrlPreset, "see http://ex.org/a?b=1 now", 5, 19},
    {kUrlPreset, "URL:ftp://h/x", 1, 13},
    {kUrlPreset, "URL: ftp://h/x", 6, 9},
    {kMailPreset, "mail anna.b@host.se.", 6, 15},
    {"{[0-9] *}{[0-9] *}{[0-9] *}*\\-{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}*", "call 08-123 45 67", 6, 12},
    {"\\(0-90-90-9\\)[0-9 ]+\\-[0-9 ]+", "ring (018)12-34 ok", 6, 11},
};

INSTANTIATE_TEST_SUITE_P(Table, RegExpSearch, ::testing::ValuesIn(kSearchCases));

TEST(RegExpMatchAt, AcceptingStateEndsAMatchOnlyWhenNothingLongerFollows)
{
    const auto re = RegExp::Compile("ab*");
    ASSERT_TRUE(re);
    EXPECT_EQ(re->MatchAt("abbbc").length, 4u);
    EXPECT_EQ(re->MatchAt("ac").length, 1u);
    EXPECT_FALSE(re->MatchAt("ba").matched());
    EXPECT_EQ(re->MatchAt("abbbc").tag, "1");
}

TEST(RegExpAutomaton, SeveralPatternsShareOneStartAndTellWhichMatched)
{
    TRegexpState root;
    ASSERT_TRUE(AddPattern(root, root, "cat", "1"));
    ASSERT_TRUE(AddPattern(root, root, "cattle", "2"));
    ASSERT_TRUE(AddPattern(root, root, "dog+", "3"));
    EXPECT_EQ(MatchAt(root, "cattle").tag, "2");
    EXPECT_EQ(MatchAt(root, "cats").tag, "1");
    EXPECT_EQ(MatchAt(root, "doggy").tag, "3");
    EXPECT_EQ(MatchAt(root, "doggy").length, 4u);
    EXPECT_FALSE(MatchAt(root, "cow").matched());
}

TEST(RegExpAutomaton, OnEqualLengthsTheEarlierPatternKeepsItsTag)
{
    TRegexpState root;
    ASSERT_TRUE(AddPattern(root, root, "a-z", "first"));
    ASSERT_TRUE(AddPattern(root, root, "x", "second"));
    EXPECT_EQ(MatchAt(root, "x").tag, "first");
}

TEST(RegExpCompile, UnclosedGroupsAreRejected)
{
    for (const char* bad : {"[ab", "{ab", "a[b{c}", "[{ab]", "a\\", "a-", "{{x}"})
        EXPECT_FALSE(RegExp::Compile(bad).has_value()) << bad;
    for (const char* good : {"[ab]", "{ab}", "a\\-", "\\[", "\\{", "ab}[", "a-b"})
        EXPECT_TRUE(RegExp::Compile(good).has_value()) << good;
}

TEST(RegExpCompile, RejectedPatternLeavesTheAutomatonAsItWas)
{
    TRegexpState root;
    ASSERT_TRUE(AddPattern(root, root, "ab", "1"));
    const auto states = root.OwnedStates.size();
    const auto transitions = root.Transitions.size();
    EXPECT_FALSE(AddPattern(root, root, "[xy{z", "2"));
    EXPECT_EQ(root.OwnedStates.size(), states);
    EXPECT_EQ(root.Transitions.size(), transitions);
    EXPECT_FALSE(Search(root, "xz").matched());
    EXPECT_EQ(Search(root, "cab").position, 2u);
}

TEST(RegExpCompile, DeepNestingIsRejectedInsteadOfExhaustingTheStack)
{
    const std::string deep = std::string(100000, '{') + "a" + std::string(100000, '}');
    EXPECT_FALSE(RegExp::Compile(deep).has_value());
    const std::string shallow = std::string(50, '{') + "a" + std::string(50, '}');
    EXPECT_TRUE(RegExp::Compile(shallow).has_value());
}

TEST(RegExpCompile, OneStatePerCharacterElement)
{
    TRegexpState root;
    ASSERT_TRUE(AddPattern(root, root, "[ab]{c.}*d-f", "1"));
    EXPECT_EQ(root.OwnedStates.size(), 5u);
    EXPECT_EQ(root.OwnedTransitions.size(), 5u);
}

TEST(RegExpLimits, ExponentialPatternEndsWithBudgetExhaustedNotNoMatch)
{
    // Every way of splitting the a's between the two branches is a path, and
    // the longest match has to try them all.
    const auto re = RegExp::Compile("[a{aa}]*");
    ASSERT_TRUE(re);
    const std::string subject(60, 'a');
    RegexpLimits limits;
    limits.stepBudget = 200000;
    const auto r = re->Search(subject, limits);
    EXPECT_EQ(r.outcome, RegexpOutcome::BudgetExhausted);
    EXPECT_LE(r.steps, limits.stepBudget);
    EXPECT_EQ(re->MatchAt(subject, limits).outcome, RegexpOutcome::BudgetExhausted);
    // The same pattern is answered normally where the work is small.
    const auto small = re->Search("xaaaa", limits);
    EXPECT_TRUE(small.matched());
    EXPECT_EQ(small.length, 0u);
    EXPECT_EQ(re->MatchAt("aaaab", limits).length, 4u);
}

TEST(RegExpLimits, FailedWalksAreNotRepeated)
{
    // Without remembering failures both are quadratic or exponential in the
    // length; with it the work stays a small multiple of the length.
    const std::string subject(5000, 'a');
    for (const char* pattern : {".*x", "[a{aa}]*b", "{a*}*b"}) {
        const auto re = RegExp::Compile(pattern);
        ASSERT_TRUE(re) << pattern;
        const auto r = re->Search(subject);
        EXPECT_EQ(r.outcome, RegexpOutcome::NoMatch) << pattern;
        EXPECT_LT(r.steps, 10 * subject.size()) << pattern;
    }
}

TEST(RegExpLimits, BudgetCoversTheWholeSearchNotEachPosition)
{
    // Too many states times too long a text for failures to be remembered:
    // each start position walks to the end again, about 2 * 70,000 steps.
    const auto re = RegExp::Compile(".*x[" + std::string(1000, 'y') + "]");
    ASSERT_TRUE(re);
    // The trailing x lets the search past its required-literal check.
    const std::string subject = std::string(70000, 'a') + "x";
    RegexpLimits limits;
    limits.stepBudget = 500000;  // more than one position needs, far less than all
    const auto r = re->Search(subject, limits);
    EXPECT_EQ(r.outcome, RegexpOutcome::BudgetExhausted);
    EXPECT_EQ(r.steps, limits.stepBudget);
}

TEST(RegExpLimits, LongMatchDoesNotOverflowTheStack)
{
    const auto re = RegExp::Compile(".*");
    ASSERT_TRUE(re);
    const std::string subject(200'000, 'q');
    const auto r = re->Search(subject);
    ASSERT_EQ(r.outcome, RegexpOutcome::Match);
    EXPECT_EQ(r.length, subject.size());
}

TEST(RegExpLimits, StopFlagEndsASearchInProgress)
{
    const auto re = RegExp::Compile("[a{aa}]*");
    ASSERT_TRUE(re);
    const std::string subject(200, 'a');
    std::atomic<bool> stop{false};
    RegexpLimits limits;
    limits.stepBudget = UINT64_MAX;
    limits.stop = &stop;
    RegexpSearchResult result;
    std::atomic<bool> started{false};
    std::thread worker([&] {
        started = true;
        result = re->Search(subject, limits);
    });
    while (!started)
        std::this_thread::yield();
    stop = true;
    worker.join();
    EXPECT_EQ(result.outcome, RegexpOutcome::Stopped);
}

// The search skips to the literals every match must contain; what it finds
// must still be exactly what trying every position in turn finds.
RegexpSearchResult SearchEveryPosition(const RegExp& re, std::string_view text)
{
    RegexpSearchResult r;
    for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto m = re.MatchAt(text.substr(i));
        if (m.matched()) {
            r.outcome = RegexpOutcome::Match;
            r.position = i + 1;
            r.length = m.length;
            break;
        }
    }
    return r;
}

TEST(RegExpRequiredLiteral, PresetsAnchorOnTheirSeparator)
{
    EXPECT_EQ(RegExp::Compile(kUrlPreset)->RequiredLiterals().front(), "://");
    EXPECT_EQ(RegExp::Compile(kMailPreset)->RequiredLiterals().front(), "@");
    // Optional, repeated or alternative parts are never required.
    EXPECT_TRUE(RegExp::Compile("a*")->RequiredLiterals().empty());
    EXPECT_TRUE(RegExp::Compile("[ab]c")->RequiredLiterals() == std::vector<std::string>{"c"});
    EXPECT_TRUE(RegExp::Compile("x{ab}*y")->RequiredLiterals() == (std::vector<std::string>{"x", "y"}));
    // Each branch has an "a" of its own, so neither one is required.
    EXPECT_TRUE(RegExp::Compile("[{ab}{ac}]")->RequiredLiterals().empty());
}

TEST(RegExpRequiredLiteral, FindsWhatEveryPositionFinds)
{
    const std::vector<std::string> patterns = {kUrlPreset, kMailPreset, "a+b", "{ab}+c", "x[yz]*:", "a*b*c",
                                               "{a.}+b", "[{ab}c]*d"};
    // Texts from a small alphabet make overlapping and repeated literals common.
    const std::string alphabet = "abcxyz:/.@ \nUuRrLl0";
    std::mt19937 rng(17);
    for (const auto& pattern : patterns) {
        const auto re = RegExp::Compile(pattern);
        ASSERT_TRUE(re.has_value()) << pattern;
        for (int n = 0; n < 3000; ++n) {
            std::string text;
            const std::size_t length = rng() % 24;
            for (std::size_t i = 0; i < length; ++i)
                text += alphabet[rng() % alphabet.size()];
            const auto fast = re->Search(text);
            const auto slow = SearchEveryPosition(*re, text);
            ASSERT_EQ(fast.outcome, slow.outcome) << pattern << " in \"" << text << "\"";
            ASSERT_EQ(fast.position, slow.position) << pattern << " in \"" << text << "\"";
            ASSERT_EQ(fast.length, slow.length) << pattern << " in \"" << text << "\"";
        }
    }
}

TEST(RegExpRequiredLiteral, MatchStartsBeforeTheLiteralAndAtItsLaterOccurrences)
{
    const auto url = RegExp::Compile(kUrlPreset);
    const auto r = url->Search("see URL :http://example.org/a now");
    ASSERT_TRUE(r.matched());
    EXPECT_EQ(r.position, 5u);  // the "URL :" prefix belongs to the match
    EXPECT_EQ(r.length, 25u);
    // The first "://" cannot match (nothing before it); the second one can.
    const auto second = url->Search("x ://, then ftp://h");
    ASSERT_TRUE(second.matched());
    EXPECT_EQ(second.position, 13u);
    EXPECT_EQ(second.length, 7u);
    // The text ends at its first NUL, also for the literal.
    EXPECT_FALSE(url->Search(std::string("see\0http://x", 13)).matched());
}

} // namespace
} // namespace pellar
