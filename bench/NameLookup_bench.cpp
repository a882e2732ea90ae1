// miravod's name look-up by prefix over 5,000 names, folding letter case in
// each character set, against byte-wise ASCII case folding over the same
// names (how look-up compared names before it knew character sets). Prints
// set ÷ byte-wise CPU time per pattern, measured side by side in this run.
#include "bench/support/Verdict.h"
#include "server/Store.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kNames = 5000;

// Mostly ASCII names, as on a real server, and one in ten in another script.
miravod::Store& StoreIn(pellar::WireCharset charset)
{
    static std::map<pellar::WireCharset, std::unique_ptr<miravod::Store>> stores;
    auto& store = stores[charset];
    if (!store) {
        store = std::make_unique<miravod::Store>();
        store->SetCharset(charset);
        const std::vector<std::string> first = {"Anna", "Erik", "Lena", "Sven", "Maria", "Oskar", "Karin", "Johan"};
        const std::vector<std::string> other = {"Ελένη", "Åsa", "Дмитрий", "山田", "Jürgen", "Νίκος"};
        for (int i = 0; i < kNames; ++i) {
            const std::string given = i % 10 == 0 ? other[(i / 10) % other.size()] : first[i % first.size()];
            store->CreatePerson(given + " Surname" + std::to_string(i), "x", 0);
        }
    }
    return *store;
}

// The byte-wise comparison look-up used before folding followed the set.
bool BytewisePrefixMatch(std::string_view pattern, std::string_view name)
{
    auto nextWord = [](std::string_view s, size_t& pos) {
        while (pos < s.size() && s[pos] == ' ') ++pos;
        const size_t start = pos;
        while (pos < s.size() && s[pos] != ' ') ++pos;
        return s.substr(start, pos - start);
    };
    size_t pp = 0, np = 0;
    bool any = false;
    for (;;) {
        const std::string_view pw = nextWord(pattern, pp);
        if (pw.empty()) return any;
        const std::string_view nw = nextWord(name, np);
        if (nw.size() < pw.size()) return false;
        for (size_t i = 0; i < pw.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(pw[i])) != std::tolower(static_cast<unsigned char>(nw[i])))
                return false;
        any = true;
    }
}

void Bytewise(benchmark::State& state, const std::string& pattern)
{
    const miravod::Store& store = StoreIn(pellar::WireCharset::Latin1);
    for (auto _ : state) {
        std::vector<int32_t> out;
        // The same walk as the look-up itself, person check included.
        for (const auto& [n, c] : store.Conferences())
            if (store.Pers(n) != nullptr && BytewisePrefixMatch(pattern, c.name)) out.push_back(n);
        benchmark::DoNotOptimize(out);
    }
}

void Folded(benchmark::State& state, pellar::WireCharset charset, const std::string& pattern)
{
    const miravod::Store& store = StoreIn(charset);
    for (auto _ : state) {
        auto out = store.MatchNames(pattern, true, true);
        benchmark::DoNotOptimize(out);
    }
}

struct Pattern {
    const char* name;
    std::string text;
};

const std::vector<Pattern>& Patterns()
{
    static const std::vector<Pattern> patterns = {{"ascii", "lena sur"}, {"greek", "ελέ"}, {"miss", "zz"}};
    return patterns;
}

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
    for (const auto& p : Patterns()) {
        benchmark::RegisterBenchmark((std::string("bytewise/") + p.name).c_str(),
                                     [&p](benchmark::State& s) { Bytewise(s, p.text); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("latin1/") + p.name).c_str(),
                                     [&p](benchmark::State& s) { Folded(s, pellar::WireCharset::Latin1, p.text); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("utf8/") + p.name).c_str(),
                                     [&p](benchmark::State& s) { Folded(s, pellar::WireCharset::Utf8, p.text); })
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    StoreIn(pellar::WireCharset::Latin1);
    StoreIn(pellar::WireCharset::Utf8);
    bench::Verdicts verdicts;
    RatioReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nfolded look-up / byte-wise look-up over %d names:\n", kNames);
    for (const auto& p : Patterns()) {
        const auto base = reporter.times.find(std::string("bytewise/") + p.name);
        if (base == reporter.times.end() || base->second <= 0)
            continue;
        for (const char* set : {"latin1", "utf8"}) {
            const auto t = reporter.times.find(std::string(set) + "/" + p.name);
            if (t != reporter.times.end())
                std::printf("  %-7s %-6s %8.2f\n", set, p.name, t->second / base->second);
        }
    }
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
