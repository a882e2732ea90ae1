#include "core/search/RegExp.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace pellar {

TransitionMatch TCharTransition::Match(std::string_view rest) const
{
    if (AtEnd(rest) || static_cast<unsigned char>(rest.front()) != Char)
        return {};
    return {1, Target};
}

TransitionMatch TCharRangeTransition::Match(std::string_view rest) const
{
    if (AtEnd(rest))
        return {};
    const auto c = static_cast<unsigned char>(rest.front());
    if (c < Low || c > High)
        return {};
    return {1, Target};
}

TransitionMatch TDotTransition::Match(std::string_view rest) const
{
    if (AtEnd(rest) || rest.front() == '\n' || rest.front() == '\r')
        return {};
    return {1, Target};
}

namespace {

// Deep nesting would otherwise recurse the compiler off the stack; nobody
// writes a search pattern with hundreds of nested groups.
constexpr int kMaxGroupDepth = 200;

struct Element {
    std::vector<TRegexpState*> ends;
    std::vector<TTransition*> firsts;
};

template <typename T>
void AppendUnique(std::vector<T*>& into, const std::vector<T*>& from)
{
    for (T* item : from)
        if (std::find(into.begin(), into.end(), item) == into.end())
            into.push_back(item);
}

struct PairHash {
    std::size_t operator()(const std::pair<const void*, const void*>& p) const
    {
        return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
    }
};

class Compiler {
public:
    Compiler(TRegexpState& owner, std::string_view wrapped) : owner_(owner), rest_(wrapped) {}

    // The wrapping group takes no postfix operator: whatever follows its
    // closing brace is ignored.
    std::optional<Element> ParsePattern(TRegexpState& start) { return ParseAtom({&start}, 0); }

private:
    bool AtEnd() const { return rest_.empty(); }
    char Peek() const { return rest_.front(); }
    void Skip(std::size_t n = 1) { rest_.remove_prefix(n); }

    // The same transition object may reach a state by two routes (a repeated
    // group whose entry is also one of its ends); attaching it twice would
    // change no result but double the backtracking.
    void Attach(TRegexpState* state, TTransition* t)
    {
        if (attached_.insert({state, t}).second)
            state->Transitions.push_back(t);
    }

    Element AddTransition(std::unique_ptr<TTransition> owned, const std::vector<TRegexpState*>& entries)
    {
        auto state = std::make_unique<TRegexpState>();
        TTransition* t = owned.get();
        t->Target = state.get();
        owner_.OwnedStates.push_back(std::move(state));
        owner_.OwnedTransitions.push_back(std::move(owned));
        for (TRegexpState* entry : entries)
            Attach(entry, t);
        return {{t->Target}, {t}};
    }

    std::optional<Element> ParseElement(const std::vector<TRegexpState*>& entries, int depth)
    {
        auto element = ParseAtom(entries, depth);
        if (!element || AtEnd() || (Peek() != '*' && Peek() != '+'))
            return element;
        const bool zeroAllowed = Peek() == '*';
        Skip();
        // Repetition restarts the element at its first transitions.
        for (TRegexpState* end : element->ends)
            for (TTransition* t : element->firsts)
                Attach(end, t);
        if (zeroAllowed)
            AppendUnique(element->ends, entries);
        return element;
    }

    std::optional<Element> ParseAtom(const std::vector<TRegexpState*>& entries, int depth)
    {
        if (AtEnd())
            return std::nullopt;
        const char c = Peek();
        if (c == '.') {
            Skip();
            return AddTransition(std::make_unique<TDotTransition>(), entries);
        }
        if (c == '[' || c == '{') {
            if (depth >= kMaxGroupDepth)
                return std::nullopt;
            Skip();
            return c == '[' ? ParseAlternation(entries, depth + 1) : ParseSequence(entries, depth + 1);
        }
        return ParseCharacter(entries);
    }

    std::optional<Element> ParseAlternation(const std::vector<TRegexpState*>& entries, int depth)
    {
        Element group;
        for (;;) {
            if (AtEnd())
                return std::nullopt;  // never closed
            if (Peek() == ']') {
                Skip();
                return group;
            }
            auto element = ParseElement(entries, depth);
            if (!element)
                return std::nullopt;
            AppendUnique(group.ends, element->ends);
            AppendUnique(group.firsts, element->firsts);
        }
    }

    std::optional<Element> ParseSequence(const std::vector<TRegexpState*>& entries, int depth)
    {
        Element group{entries, {}};
        bool first = true;
        for (;;) {
            if (AtEnd())
                return std::nullopt;  // never closed
            if (Peek() == '}') {
                Skip();
                return group;
            }
            auto element = ParseElement(group.ends, depth);
            if (!element)
                return std::nullopt;
            if (first)
                group.firsts = element->firsts;
            first = false;
            group.ends = std::move(element->ends);
        }
    }

    std::optional<Element> ParseCharacter(const std::vector<TRegexpState*>& entries)
    {
        if (Peek() == '\\') {
            Skip();
            if (AtEnd())
                return std::nullopt;
        }
        // The escape only protects the first character: "\a-z" is still a range.
        if (rest_.size() >= 3 && rest_[1] == '-') {
            const auto low = static_cast<unsigned char>(rest_[0]);
            const auto high = static_cast<unsigned char>(rest_[2]);
            Skip(3);
            return AddTransition(std::make_unique<TCharRangeTransition>(low, high), entries);
        }
        const auto ch = static_cast<unsigned char>(Peek());
        Skip();
        return AddTransition(std::make_unique<TCharTransition>(ch), entries);
    }

    TRegexpState& owner_;
    std::string_view rest_;
    std::unordered_set<std::pair<const void*, const void*>, PairHash> attached_;
};

} // namespace

// The automaton as numbered states, so that the walk can remember per
// (state, position) that no match starts there. Built once per compiled
// pattern (or per call for a bare automaton).
struct RegexpGraphIndex {
    std::vector<const TRegexpState*> states;     // [0] is the start state
    std::vector<std::vector<std::uint32_t>> targets;  // per state, per transition
    // Bytes at which some transition of the start state applies; a position
    // starting with any other byte cannot match unless the start accepts.
    std::array<bool, 256> canStart{};
    bool startAccepts = false;
    // Literals that every match contains, longest first. The search skips a
    // text that lacks one, and with the first (the anchor) tries only the
    // positions from which bytes of anchorPrefix lead up to an occurrence.
    std::vector<std::string> required;
    std::array<bool, 256> anchorPrefix{};
};

namespace {

// The single byte a transition consumes, when it admits exactly one.
std::optional<unsigned char> SingleByte(const TTransition& t)
{
    if (const auto* c = dynamic_cast<const TCharTransition*>(&t))
        return c->Char;
    if (const auto* r = dynamic_cast<const TCharRangeTransition*>(&t); r && r->Low == r->High)
        return r->Low;
    return std::nullopt;
}

// Marks the states reachable from the start without taking the transition
// `avoid`; true when an accepting state was among them. With a byte set,
// also collects every byte the walked transitions can consume.
bool ReachesAcceptAvoiding(const RegexpGraphIndex& g, const TTransition* avoid, std::array<bool, 256>* bytes)
{
    std::vector<bool> seen(g.states.size(), false);
    std::vector<std::uint32_t> todo{0};
    seen[0] = true;
    bool accepts = false;
    while (!todo.empty()) {
        const std::uint32_t s = todo.back();
        todo.pop_back();
        accepts = accepts || !g.states[s]->Tag.empty();
        const auto& transitions = g.states[s]->Transitions;
        for (std::size_t i = 0; i < transitions.size(); ++i) {
            if (transitions[i] == avoid)
                continue;
            if (bytes) {
                for (int c = 1; c < 256; ++c) {
                    const char ch = static_cast<char>(c);
                    if (transitions[i]->Match(std::string_view(&ch, 1)).target)
                        (*bytes)[static_cast<std::size_t>(c)] = true;
                }
            }
            const std::uint32_t t = g.targets[s][i];
            if (!seen[t]) {
                seen[t] = true;
                todo.push_back(t);
            }
        }
    }
    return accepts;
}

// A single-byte transition that every accepting path takes is the start of
// a required literal; it runs on while each following state is not
// accepting and has exactly one single-byte way out.
void FindRequiredLiterals(RegexpGraphIndex& g)
{
    // The check walks the graph once per candidate; a huge pattern goes
    // without the filter rather than pay that.
    constexpr std::size_t kMaxStates = 2000;
    constexpr std::size_t kMaxLiteral = 64;
    if (g.startAccepts || g.states.size() > kMaxStates)
        return;
    std::unordered_set<const TTransition*> tried;
    std::vector<std::pair<std::string, const TTransition*>> found;
    for (const TRegexpState* state : g.states) {
        for (const TTransition* t : state->Transitions) {
            if (!tried.insert(t).second)
                continue;
            const auto first = SingleByte(*t);
            if (!first || ReachesAcceptAvoiding(g, t, nullptr))
                continue;
            std::string literal(1, static_cast<char>(*first));
            const TRegexpState* at = t->Target;
            while (literal.size() < kMaxLiteral && at->Tag.empty() && at->Transitions.size() == 1) {
                const auto next = SingleByte(*at->Transitions.front());
                if (!next)
                    break;
                literal += static_cast<char>(*next);
                at = at->Transitions.front()->Target;
            }
            found.emplace_back(std::move(literal), t);
        }
    }
    if (found.empty())
        return;
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [literal, t] : found)
        g.required.push_back(literal);
    // Whatever can be consumed before the anchor's first byte is taken.
    ReachesAcceptAvoiding(g, found.front().second, &g.anchorPrefix);
}

std::shared_ptr<const RegexpGraphIndex> BuildIndex(const TRegexpState& start)
{
    auto index = std::make_shared<RegexpGraphIndex>();
    std::unordered_map<const TRegexpState*, std::uint32_t> number;
    auto numberOf = [&](const TRegexpState* state) {
        const auto [it, added] = number.try_emplace(state, static_cast<std::uint32_t>(index->states.size()));
        if (added)
            index->states.push_back(state);
        return it->second;
    };
    numberOf(&start);
    for (std::size_t i = 0; i < index->states.size(); ++i) {
        std::vector<std::uint32_t> targets;
        for (const TTransition* t : index->states[i]->Transitions)
            targets.push_back(numberOf(t->Target));
        index->targets.push_back(std::move(targets));
    }
    index->startAccepts = !start.Tag.empty();
    for (int c = 1; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        for (const TTransition* t : start.Transitions)
            if (t->Match(std::string_view(&ch, 1)).target)
                index->canStart[static_cast<std::size_t>(c)] = true;
    }
    FindRequiredLiterals(*index);
    return index;
}

// The depth-first walk, with an explicit stack: a recursive walk would need
// one call level per matched character and a long body would overflow it.
//
// Whether a match continues from a state at a position does not depend on
// where the attempt began, so a Search remembers the (state, position) pairs
// that failed and never walks them again: a failing word is walked once, not
// once per starting character, and most exponential failures become linear.
class Matcher {
public:
    Matcher(const RegexpGraphIndex& graph, const RegexpLimits& limits, std::size_t textLength)
        : graph_(graph), limits_(limits), stride_(textLength + 1)
    {
        constexpr std::size_t kMaxMemoBits = std::size_t{1} << 26;  // 8 MB
        if (graph_.states.size() <= kMaxMemoBits / stride_)
            failed_.assign((graph_.states.size() * stride_ + 63) / 64, 0);
    }

    struct Result {
        RegexpOutcome outcome = RegexpOutcome::NoMatch;
        std::size_t length = 0;
        const std::string* tag = nullptr;
    };

    Result Run(std::string_view text, std::size_t pos)
    {
        frames_.clear();
        frames_.push_back({0, pos});
        for (;;) {
            Frame& f = frames_.back();
            const TRegexpState* state = graph_.states[f.state];
            if (f.next < state->Transitions.size()) {
                const TTransition* t = state->Transitions[f.next];
                const std::uint32_t target = graph_.targets[f.state][f.next];
                ++f.next;
                if (steps_ >= limits_.stepBudget)
                    return {RegexpOutcome::BudgetExhausted};
                ++steps_;
                if (limits_.stop && (steps_ & 0xfff) == 0 && limits_.stop->load(std::memory_order_relaxed))
                    return {RegexpOutcome::Stopped};
                const TransitionMatch m = t->Match(text.substr(f.pos));
                if (m.target) {
                    const std::size_t next = f.pos + static_cast<std::size_t>(m.consumed);
                    if (!Failed(target, next))
                        frames_.push_back({target, next});  // f is invalid from here
                }
                continue;
            }
            Result r;
            if (!f.matched && !state->Tag.empty())
                r = {RegexpOutcome::Match, 0, &state->Tag};
            else if (f.matched)
                r = {RegexpOutcome::Match, f.best, f.bestTag};
            else
                MarkFailed(f.state, f.pos);
            const std::size_t childPos = f.pos;
            frames_.pop_back();
            if (frames_.empty())
                return r;
            Frame& parent = frames_.back();
            if (r.outcome == RegexpOutcome::Match) {
                const std::size_t total = (childPos - parent.pos) + r.length;
                parent.matched = true;
                // On equal lengths the earlier transition keeps its tag.
                if (total > parent.best) {
                    parent.best = total;
                    parent.bestTag = r.tag;
                }
            }
        }
    }

    bool Stopped() const { return limits_.stop && limits_.stop->load(std::memory_order_relaxed); }
    std::uint64_t Steps() const { return steps_; }

private:
    struct Frame {
        std::uint32_t state;
        std::size_t pos;
        std::size_t next = 0;
        bool matched = false;
        std::size_t best = 0;
        const std::string* bestTag = nullptr;
    };

    bool Failed(std::uint32_t state, std::size_t pos) const
    {
        if (failed_.empty())
            return false;
        const std::size_t bit = state * stride_ + pos;
        return (failed_[bit / 64] >> (bit % 64)) & 1u;
    }

    void MarkFailed(std::uint32_t state, std::size_t pos)
    {
        if (failed_.empty())
            return;
        const std::size_t bit = state * stride_ + pos;
        failed_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

    const RegexpGraphIndex& graph_;
    const RegexpLimits& limits_;
    const std::size_t stride_;
    std::vector<std::uint64_t> failed_;  // empty: text too long to remember
    std::vector<Frame> frames_;
    std::uint64_t steps_ = 0;
};

std::string_view UpToNul(std::string_view text)
{
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

} // namespace

bool AddPattern(TRegexpState& owner, TRegexpState& start, std::string_view pattern, std::string_view tag)
{
    const std::size_t startTransitions = start.Transitions.size();
    const std::size_t ownedStates = owner.OwnedStates.size();
    const std::size_t ownedTransitions = owner.OwnedTransitions.size();

    std::string wrapped;
    wrapped.reserve(pattern.size() + 2);
    wrapped.append("{").append(pattern).append("}");

    Compiler compiler(owner, wrapped);
    const auto element = compiler.ParsePattern(start);
    if (!element) {
        // Only the start state is older than this compilation, so undoing
        // its new transitions and the new objects restores the automaton.
        start.Transitions.resize(startTransitions);
        owner.OwnedTransitions.resize(ownedTransitions);
        owner.OwnedStates.resize(ownedStates);
        return false;
    }
    for (TRegexpState* end : element->ends)
        end->Tag = std::string(tag);
    return true;
}

namespace {

RegexpMatch MatchWith(const RegexpGraphIndex& graph, std::string_view text, const RegexpLimits& limits)
{
    const std::string_view subject = UpToNul(text);
    Matcher matcher(graph, limits, subject.size());
    const auto r = matcher.Run(subject, 0);
    RegexpMatch result;
    result.outcome = r.outcome;
    result.steps = matcher.Steps();
    if (r.outcome == RegexpOutcome::Match) {
        result.length = r.length;
        if (r.tag)
            result.tag = *r.tag;
    }
    return result;
}

// Tries the start positions first..last in order; true once the search has
// its answer (a match, or a walk that was cut short).
bool TryPositions(const RegexpGraphIndex& graph, Matcher& matcher, std::string_view subject, std::size_t first,
                  std::size_t last, RegexpSearchResult& result)
{
    for (std::size_t i = first; i < last; ++i) {
        if (matcher.Stopped()) {
            result.outcome = RegexpOutcome::Stopped;
            return true;
        }
        if (!graph.startAccepts && !graph.canStart[static_cast<unsigned char>(subject[i])])
            continue;
        const auto r = matcher.Run(subject, i);
        if (r.outcome == RegexpOutcome::NoMatch)
            continue;
        result.outcome = r.outcome;
        if (r.outcome == RegexpOutcome::Match) {
            result.position = i + 1;
            result.length = r.length;
        }
        return true;
    }
    return false;
}

// With required literals: a text without one cannot match. Otherwise a
// match must reach an occurrence of the anchor over bytes that can come
// before it, so only the positions in such a run up to each occurrence are
// tried, in ascending order, each once.
void TryAroundAnchor(const RegexpGraphIndex& graph, Matcher& matcher, std::string_view subject,
                     RegexpSearchResult& result)
{
    for (const std::string& literal : graph.required)
        if (subject.find(literal) == std::string_view::npos)
            return;
    const std::string& anchor = graph.required.front();
    std::size_t next = 0;  // every position before this one has been tried
    for (std::size_t at = subject.find(anchor); at != std::string_view::npos; at = subject.find(anchor, at + 1)) {
        std::size_t from = at;
        while (from > next && graph.anchorPrefix[static_cast<unsigned char>(subject[from - 1])])
            --from;
        if (TryPositions(graph, matcher, subject, std::max(from, next), at + 1, result))
            return;
        next = at + 1;
    }
}

RegexpSearchResult SearchWith(const RegexpGraphIndex& graph, std::string_view text, const RegexpLimits& limits)
{
    const std::string_view subject = UpToNul(text);
    Matcher matcher(graph, limits, subject.size());
    RegexpSearchResult result;
    if (graph.required.empty())
        TryPositions(graph, matcher, subject, 0, subject.size(), result);
    else
        TryAroundAnchor(graph, matcher, subject, result);
    result.steps = matcher.Steps();
    return result;
}

} // namespace

RegexpMatch MatchAt(const TRegexpState& state, std::string_view text, const RegexpLimits& limits)
{
    return MatchWith(*BuildIndex(state), text, limits);
}

RegexpSearchResult Search(const TRegexpState& start, std::string_view text, const RegexpLimits& limits)
{
    return SearchWith(*BuildIndex(start), text, limits);
}

std::optional<RegExp> RegExp::Compile(std::string_view pattern, std::string_view tag)
{
    auto root = std::make_unique<TRegexpState>();
    if (!AddPattern(*root, *root, pattern, tag))
        return std::nullopt;
    return RegExp(std::move(root));
}

RegExp::RegExp(std::unique_ptr<TRegexpState> root) : root_(std::move(root)), index_(BuildIndex(*root_)) {}

RegexpSearchResult RegExp::Search(std::string_view text, const RegexpLimits& limits) const
{
    return SearchWith(*index_, text, limits);
}

RegexpMatch RegExp::MatchAt(std::string_view text, const RegexpLimits& limits) const
{
    return MatchWith(*index_, text, limits);
}

const std::vector<std::string>& RegExp::RequiredLiterals() const
{
    return index_->required;
}

} // namespace pellar
