// A benchmark's verdicts on its figures: each check returns the word printed
// beside the figure and remembers a miss, so that the program's exit status
// says whether every figure met its limit. The console reporter below counts
// a benchmark that stopped with an error as a miss too.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

class Verdicts {
public:
    // figure <= limit.
    const char* AtMost(double figure, double limit, const char* miss = "TOO SLOW")
    {
        return Check(figure <= limit, miss);
    }
    // figure >= limit.
    const char* AtLeast(double figure, double limit, const char* miss = "TOO SLOW")
    {
        return Check(figure >= limit, miss);
    }
    const char* Check(bool met, const char* miss = "FAILED")
    {
        if (!met)
            ++missed_;
        return met ? "OK" : miss;
    }
    // Something that leaves no figure to judge: the run itself failed.
    void Fail(const std::string& what)
    {
        std::printf("FAILED: %s\n", what.c_str());
        ++missed_;
    }
    int Missed() const { return missed_; }
    // For main's return; prints a line when something missed.
    int ExitStatus() const
    {
        if (missed_ > 0)
            std::printf("%d check(s) missed or failed\n", missed_);
        return missed_ > 0 ? 1 : 0;
    }

private:
    int missed_ = 0;
};

// The library's console table; a benchmark that stopped with an error is a
// miss, unless its message starts with "skipped" (a case this machine cannot
// run at all).
class CountingReporter : public benchmark::ConsoleReporter {
public:
    explicit CountingReporter(Verdicts& verdicts) : verdicts_(verdicts) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.error_occurred && run.error_message.rfind("skipped", 0) != 0)
                verdicts_.Fail(run.benchmark_name() + ": " + run.error_message);
    }

private:
    Verdicts& verdicts_;
};

} // namespace bench
