// Parsing one text-status reply in the newer form (status with six misc-info
// items, then two aux items) against copying the same line into a std::string,
// measured side by side. Prints the parse rate and the ratio of the two.
#include <cstdio>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/support/Verdict.h"
#include "core/wire/RecordParsers.h"

namespace {

using namespace pellar;

const std::string kTime = "12 30 14 5 11 99 0 338 0";
// Recipient (with local number, receive time and sender), carbon copy, and
// one link of each kind: six items in eleven elements.
const std::string kLine = kTime + " 6 3 120 0 11 { 0 5 6 17 7 " + kTime + " 8 9 1 7 6 4 2 100 8 6 3 200 4 300 5 400 } " +
                          "2 { 1 6 9 " + kTime + " 00000000 0 0H 2 7 12 " + kTime + " 01000000 1 5Hhello }";

void ParseTextStatReply(benchmark::State& state)
{
    for (auto _ : state) {
        TextStatType stat;
        size_t pos = 0;
        ParseTextStat(kLine, pos, stat);
        ParseAuxItemList(kLine, pos, stat);
        benchmark::DoNotOptimize(stat);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ParseTextStatReply);

void CopyLine(benchmark::State& state)
{
    for (auto _ : state) {
        std::string copy(kLine);
        benchmark::DoNotOptimize(copy);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CopyLine);

// Keeps the per-iteration CPU time of every run for the summary: CPU time is
// what one core spends, and it does not count the time this process waits
// while other work shares the machine.
class SummaryReporter : public bench::CountingReporter
{
public:
    using CountingReporter::CountingReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            seconds[run.benchmark_name()] = run.GetAdjustedCPUTime() * 1e-9;
        CountingReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bench::Verdicts verdicts;
    SummaryReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double parse = reporter.seconds["ParseTextStatReply"];
    const double copy = reporter.seconds["CopyLine"];
    if (parse > 0 && copy > 0) {
        std::printf("text status line: %zu bytes\n", kLine.size());
        std::printf("text status parses per second: %.0f (limit >= 500000) %s\n", 1.0 / parse,
                    verdicts.AtLeast(1.0 / parse, 500000));
        std::printf("parse time / plain string copy time: %.1f\n", parse / copy);
    }
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
