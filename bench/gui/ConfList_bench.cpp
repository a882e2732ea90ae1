// Logon of a reader with 10, 100 and 1,000 memberships, every one with unread
// texts, from the logon request to the reading window's conference list
// complete with its counts and painted (offscreen), against miravod on
// loopback and with a 20 ms reply delay. Side by side in one run: the time
// for 1,000 over the time for 10, and the round trips in series each size
// costs (delayed time minus loopback time, over the delay). The servers run
// in child processes so the client's figures are its own.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"

#include <QApplication>

#include "core/link/MVRequests.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "gui/reading/ConfListView.h"
#include "server/MembershipSeed.h"
#include "server/Server.h"
#include "server/Store.h"
#include "tests/support/ScriptedSessionUi.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDelayMs = 20;
constexpr int kRuns = 7;
constexpr const char* kPassword = "bench";
const int kSizes[] = {10, 100, 1000};

bench::Verdicts verdicts;

struct Reader {
    int size;
    int32_t person;
};

std::vector<Reader> Seed(const std::string& path)
{
    miravod::Store store;
    std::string error;
    if (!store.Open(path, &error))
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), error.c_str());
    const std::vector<int32_t> confs = miravod::MembershipSeed::AddConferences(store, 1000, "Bench");
    std::vector<Reader> readers;
    for (int size : kSizes) {
        const std::vector<int32_t> mine(confs.begin(), confs.begin() + size);
        readers.push_back(
            {size, miravod::MembershipSeed::AddReader(store, "Reader " + std::to_string(size), kPassword, mine, 1000)});
    }
    store.Commit(&error);
    return readers;
}

struct Setup {
    std::vector<Reader> readers;
    std::unique_ptr<bench::ForkedServer> fast, delayed;
};
Setup* g_setup = nullptr;

// One logon as the window takes it; seconds from the logon request to the
// list painted, or a negative number when the list came out wrong.
double TimeLogon(int port, const Reader& reader)
{
    pellar::ClientOptions options;
    options.debugLog = false;
    options.receiveTrace = false;
    pellar::Client client(options);
    client.ComThread().Connect("127.0.0.1", std::to_string(port));
    client.ConnectedEvent().WaitFor(10000);
    pellar::test::ScriptedSessionUi ui;
    pellar::SessionCommands commands(client, ui);
    pellar::Logon logon(client, ui, commands, {});
    pellar::ConfListModel model(client.Cache());
    pellar::TConfListView list(model);
    list.resize(500, 700);
    list.show();
    QApplication::processEvents();

    const auto start = Clock::now();
    pellar::TLogonTrans request(client.Protocol(), reader.person, kPassword, false);
    client.Transactions().ExecuteAndWait(request);
    client.SetCurrentPerson(reader.person);
    logon.LoadMemberships();
    list.Refresh();
    // The view takes the rows in on the next turn of the event loop.
    list.ListModel()->ApplyPending();
    list.repaint();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!request.Success() || list.RowCount() != reader.size)
        return -1;
    client.ComThread().SetLinkDown(true);
    client.ComThread().WaitIdle(5000);
    return seconds;
}

struct Figures {
    double median = 0, low = 0, high = 0;
};

Figures Measure(int port, const Reader& reader)
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(TimeLogon(port, reader));
    std::sort(runs.begin(), runs.end());
    return {runs[runs.size() / 2], runs.front(), runs.back()};
}

void PrintFigures(Setup& s)
{
    std::vector<Figures> fast, delayed;
    for (const Reader& r : s.readers) {
        fast.push_back(Measure(s.fast->Port(), r));
        delayed.push_back(Measure(s.delayed->Port(), r));
        // A logon whose list came out wrong is timed as -1.
        if (fast.back().low < 0 || delayed.back().low < 0)
            verdicts.Fail("the conference list of " + std::to_string(r.size) + " memberships came out wrong");
    }
    for (size_t i = 0; i < s.readers.size(); ++i) {
        const double trips = (delayed[i].median - fast[i].median) * 1000.0 / kDelayMs;
        std::printf("logon to listed counts, %4d memberships: loopback %7.1f ms (%.1f-%.1f), "
                    "%d ms delay %7.1f ms (%.1f-%.1f), round trips in series %.1f\n",
                    s.readers[i].size, fast[i].median * 1e3, fast[i].low * 1e3, fast[i].high * 1e3, kDelayMs,
                    delayed[i].median * 1e3, delayed[i].low * 1e3, delayed[i].high * 1e3, trips);
    }
    const size_t last = s.readers.size() - 1;
    std::printf("1000 memberships: loopback %.1f ms (limit 150) %s, delayed %.1f ms (limit 1000) %s; "
                "ratio 1000/10 loopback %.2f, delayed %.2f\n",
                fast[last].median * 1e3, verdicts.Check(fast[last].median > 0 && fast[last].median <= 0.150, "TOO SLOW"),
                delayed[last].median * 1e3,
                verdicts.Check(delayed[last].median > 0 && delayed[last].median <= 1.0, "TOO SLOW"),
                fast[last].median / fast[0].median, delayed[last].median / delayed[0].median);
}

void BM_LogonThousandMemberships(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TimeLogon(g_setup->fast->Port(), g_setup->readers.back()));
}
BENCHMARK(BM_LogonThousandMemberships)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec)
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    const std::string base = (dir / ("pellar-conflist-bench-" + std::to_string(getpid()))).string();
    Setup setup;
    setup.readers = Seed(base + "-a.db");
    std::filesystem::copy_file(base + "-a.db", base + "-b.db");
    // Both servers are forked before this process starts any thread.
    setup.fast = std::make_unique<bench::ForkedServer>(base + "-a.db", 0);
    setup.delayed = std::make_unique<bench::ForkedServer>(base + "-b.db", kDelayMs);
    g_setup = &setup;
    if (setup.fast->Port() == 0 || setup.delayed->Port() == 0)
        verdicts.Fail("a server did not start");

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    PrintFigures(setup);
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    setup.fast.reset();
    setup.delayed.reset();
    for (const char* db : {"-a.db", "-b.db"})
        bench::RemoveDatabase(base + db);
    return verdicts.ExitStatus();
}
