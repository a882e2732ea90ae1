// Pattern search over 10,000 generated texts against plain substring search
// over the same texts, the two modes of the text search. Prints, per pair,
// pattern time ÷ substring time measured side by side in this run.
#include "bench/support/Verdict.h"
#include "core/search/RegExp.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTexts = 10000;

const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = [] {
        std::mt19937 rng(4711);
        const std::vector<std::string> words = {
            "the",   "meeting", "agenda",  "Miravo", "conference", "reply", "about", "yesterday", "server",
            "texts", "read",    "comment", "and",    "but",        "we",    "should", "perhaps",  "tomorrow",
        };
        const std::vector<std::string> extras = {
            "see http://example.org/a/b?c=1 for more", "mail anna.berg@example.se today",
            "call 08-123 45 67", "ring (018)12 34 56-7",
        };
        std::vector<std::string> out;
        out.reserve(kTexts);
        for (int t = 0; t < kTexts; ++t) {
            std::string text;
            const int subjectWords = 2 + static_cast<int>(rng() % 5);
            for (int w = 0; w < subjectWords; ++w)
                text += words[rng() % words.size()] + (w + 1 < subjectWords ? " " : "\n");
            const int bodyWords = 40 + static_cast<int>(rng() % 300);
            for (int w = 0; w < bodyWords; ++w) {
                if (rng() % 200 == 0)
                    text += extras[rng() % extras.size()];
                else
                    text += words[rng() % words.size()];
                text += (rng() % 12 == 0) ? "\n" : " ";
            }
            out.push_back(std::move(text));
        }
        return out;
    }();
    return texts;
}

// What the substring mode does: lower-case the text, then look for the
// (lower-cased) needle.
void SubstringSearch(benchmark::State& state, const std::string& needle)
{
    const auto& texts = Texts();
    for (auto _ : state) {
        int hits = 0;
        for (const auto& text : texts) {
            std::string lower(text);
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            hits += lower.find(needle) != std::string::npos;
        }
        benchmark::DoNotOptimize(hits);
    }
}

void PatternSearch(benchmark::State& state, const std::string& pattern)
{
    const auto re = pellar::RegExp::Compile(pattern);
    if (!re) {
        state.SkipWithError("pattern does not compile");
        return;
    }
    const auto& texts = Texts();
    for (auto _ : state) {
        int hits = 0;
        for (const auto& text : texts)
            hits += re->Search(text).matched();
        benchmark::DoNotOptimize(hits);
    }
}

struct Pair {
    const char* name;
    std::string pattern;
    std::string needle;
};

const std::vector<Pair>& Pairs()
{
    static const std::vector<Pair> pairs = {
        {"word", "tomorrow", "tomorrow"},
        {"rare-word", "xylophone", "xylophone"},
        {"url", "{[Uu][rR][lL] *\\:}*[a-zA-Z][a-zA-Z0-9]*\\://[a-zA-Z0-9\\?\\=\\+\\.\\-_/~]+", "http://"},
        {"mail", "[a-zA-Z0-9\\.]+@[a-zA-Z0-9]+\\.[a-zA-Z0-9\\.]+", "@"},
        {"phone", "{[0-9] *}{[0-9] *}{[0-9] *}*\\-{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}*", "08-"},
    };
    return pairs;
}

// Keeps each run's CPU time per iteration (the machine is shared, so wall
// time is noisier) so the ratios can be printed at the end.
class RatioReporter : public bench::CountingReporter {
public:
    using CountingReporter::CountingReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        CountingReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    for (const auto& pair : Pairs()) {
        benchmark::RegisterBenchmark((std::string("pattern/") + pair.name).c_str(),
                                     [&pair](benchmark::State& s) { PatternSearch(s, pair.pattern); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("substring/") + pair.name).c_str(),
                                     [&pair](benchmark::State& s) { SubstringSearch(s, pair.needle); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    Texts();  // generate before timing
    bench::Verdicts verdicts;
    RatioReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\npattern search / substring search over %d texts:\n", kTexts);
    for (const auto& pair : Pairs()) {
        const auto p = reporter.times.find(std::string("pattern/") + pair.name);
        const auto s = reporter.times.find(std::string("substring/") + pair.name);
        // Not run (filtered out), or failed, which the reporter counted.
        if (p == reporter.times.end() || s == reporter.times.end() || s->second <= 0)
            continue;
        const double ratio = p->second / s->second;
        // The presets that must contain a literal are held to substring speed.
        const bool held = std::string(pair.name) == "url" || std::string(pair.name) == "mail";
        if (held)
            std::printf("  %-10s %8.2f (limit 5) %s\n", pair.name, ratio, verdicts.AtMost(ratio, 5, "OVER"));
        else
            std::printf("  %-10s %8.2f\n", pair.name, ratio);
    }
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
