// The program's own small pattern matcher, used by the text search on subjects
// and bodies. A pattern compiles into a graph of states joined by one-character
// transitions (no empty transitions); matching walks the graph depth first and
// takes the longest match at the leftmost position.
//
// Syntax: literal characters, "\" to take the next character literally, "a-z"
// ranges, "." (any character but CR and LF), "[...]" alternation groups,
// "{...}" sequence groups, and a postfix "*" or "+" after any element.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

class TRegexpState;
struct RegexpGraphIndex;

// What one transition does at one place in the subject.
struct TransitionMatch {
    int consumed = 0;                // characters eaten, 0 or 1
    TRegexpState* target = nullptr;  // none: the transition does not apply here
};

class TTransition {
public:
    virtual ~TTransition() = default;

    // rest is the subject from the current character on; an empty rest or a
    // NUL is the end of the text, where no transition ever matches.
    virtual TransitionMatch Match(std::string_view rest) const = 0;

    TRegexpState* Target = nullptr;

protected:
    static bool AtEnd(std::string_view rest) { return rest.empty() || rest.front() == '\0'; }
};

class TCharTransition : public TTransition {
public:
    explicit TCharTransition(unsigned char c) : Char(c) {}
    TransitionMatch Match(std::string_view rest) const override;
    unsigned char Char;
};

class TCharRangeTransition : public TTransition {
public:
    TCharRangeTransition(unsigned char low, unsigned char high) : Low(low), High(high) {}
    TransitionMatch Match(std::string_view rest) const override;
    unsigned char Low;
    unsigned char High;
};

class TDotTransition : public TTransition {
public:
    TransitionMatch Match(std::string_view rest) const override;
};

class TRegexpState {
public:
    TRegexpState() = default;
    TRegexpState(const TRegexpState&) = delete;
    TRegexpState& operator=(const TRegexpState&) = delete;

    // Filled only on the state given to AddPattern as owner: everything
    // compiled for it, freed with it.
    std::vector<std::unique_ptr<TRegexpState>> OwnedStates;
    std::vector<std::unique_ptr<TTransition>> OwnedTransitions;

    // Outgoing transitions in the order they were attached (not owned).
    std::vector<TTransition*> Transitions;

    // Non-empty on states where a match of a whole pattern ends.
    std::string Tag;
};

// How a match attempt ended. BudgetExhausted and Stopped are not "no match":
// the question was left open, and the caller should say so.
enum class RegexpOutcome { NoMatch, Match, BudgetExhausted, Stopped };

// Bounds one MatchAt or Search call. Nested repetitions can make the
// backtracking exponential, so every call is limited to a number of
// transition tries; the stop flag, if given, is polled as the walk goes on.
struct RegexpLimits {
    static constexpr std::uint64_t kDefaultStepBudget = 20'000'000;
    std::uint64_t stepBudget = kDefaultStepBudget;
    const std::atomic<bool>* stop = nullptr;
};

struct RegexpMatch {
    RegexpOutcome outcome = RegexpOutcome::NoMatch;
    std::size_t length = 0;
    std::string tag;
    std::uint64_t steps = 0;  // transition tries spent
    bool matched() const { return outcome == RegexpOutcome::Match; }
};

struct RegexpSearchResult {
    RegexpOutcome outcome = RegexpOutcome::NoMatch;
    std::size_t position = 0;  // 1-based, valid on a match
    std::size_t length = 0;
    std::uint64_t steps = 0;
    bool matched() const { return outcome == RegexpOutcome::Match; }
};

// Compiles pattern so that its paths start at start, creating the states and
// transitions as owner's, and tags every state where the whole pattern ends.
// A "[" or "{" that is never closed (counting the pattern's own wrapping
// group, which an unescaped "}" closes) makes the pattern invalid: false is
// returned and the automaton is left exactly as it was.
bool AddPattern(TRegexpState& owner, TRegexpState& start, std::string_view pattern, std::string_view tag);

// Longest match starting exactly at the beginning of text.
RegexpMatch MatchAt(const TRegexpState& state, std::string_view text, const RegexpLimits& limits = {});

// Leftmost (then longest) match; the text ends at its first NUL. An empty
// text never matches and no match is tried after the last character.
RegexpSearchResult Search(const TRegexpState& start, std::string_view text, const RegexpLimits& limits = {});

// One compiled pattern, owning its automaton; what the search worker uses.
class RegExp {
public:
    // nullopt when the pattern has an unclosed group.
    static std::optional<RegExp> Compile(std::string_view pattern, std::string_view tag = "1");

    RegexpSearchResult Search(std::string_view text, const RegexpLimits& limits = {}) const;
    RegexpMatch MatchAt(std::string_view text, const RegexpLimits& limits = {}) const;

    const TRegexpState& Start() const { return *root_; }
    // Literals every match contains, longest first; the search looks for
    // these before it walks the automaton.
    const std::vector<std::string>& RequiredLiterals() const;

private:
    explicit RegExp(std::unique_ptr<TRegexpState> root);
    std::unique_ptr<TRegexpState> root_;  // owner and start state at once
    std::shared_ptr<const RegexpGraphIndex> index_;
};

} // namespace pellar
