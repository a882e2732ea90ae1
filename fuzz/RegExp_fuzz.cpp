// Compiles arbitrary patterns and matches them against arbitrary subjects:
// no crash, no unbounded time (every match is under a step budget).
#include "core/search/RegExp.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // First byte: how much of the rest is pattern. Patterns are typed by a
    // user, so they stay short; the subject may be anything.
    const std::size_t patternLength = std::min<std::size_t>(data[0], size - 1);
    const std::string_view pattern(reinterpret_cast<const char*>(data + 1), patternLength);
    const std::string_view subject(reinterpret_cast<const char*>(data + 1 + patternLength),
                                   size - 1 - patternLength);

    pellar::RegexpLimits limits;
    limits.stepBudget = 100000;

    if (const auto re = pellar::RegExp::Compile(pattern)) {
        const auto found = re->Search(subject, limits);
        if (found.steps > limits.stepBudget)
            std::abort();
        if (found.matched() && (found.position == 0 || found.position - 1 + found.length > subject.size()))
            std::abort();
        const auto at = re->MatchAt(subject, limits);
        if (at.matched() && at.length > subject.size())
            std::abort();
    }

    // Two patterns in one automaton, as a search may compile them; the
    // second may be rejected, which must leave the first one working.
    pellar::TRegexpState root;
    pellar::AddPattern(root, root, pattern, "1");
    pellar::AddPattern(root, root, subject.substr(0, std::min<std::size_t>(subject.size(), 64)), "2");
    const auto both = pellar::Search(root, subject, limits);
    if (both.steps > limits.stepBudget)
        std::abort();
    return 0;
}
