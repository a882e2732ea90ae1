// Reading against miravod on loopback, measured side by side in one run:
// (a) server round trips per read-next step through a 10,000-text conference
// of comment trees, on a cold cache (step time with a 10 ms reply delay minus
// the same step without, over the delay) and after the subject-tree prefetch
// has run ahead (typed requests per step), with the client CPU per step;
// (b) building the subject tree of 2,000 unread texts (the builder fetches
// ahead of its walk, many requests in flight) over the time of fetching
// their statuses alone, one after another. The server runs in a child process so the
// CPU figures are the client's alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoMembership.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/TReadNextTextThread.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/Store.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPassword = "bench";
constexpr int kDelayMs = 10;
constexpr int kSteps = 30;

bench::Verdicts verdicts;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double ClientCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct World {
    int32_t reader = 0, bench = 0, tree = 0;
    std::vector<int32_t> treeTexts;
};

// Trees of ten: a root, three comments, two replies to each comment.
void AddTrees(miravod::Store& store, int32_t author, int32_t conf, int trees, std::vector<int32_t>* texts)
{
    const pellar::TDateTime now = pellar::NowLocal();
    auto write = [&](const std::string& subject, int32_t parent) {
        const int32_t n = bench::SeedText(store, author, conf, subject, parent, now);
        if (texts)
            texts->push_back(n);
        return n;
    };
    for (int i = 0; i < trees; ++i) {
        const int32_t root = write("Subject " + std::to_string(i), 0);
        for (int c = 0; c < 3; ++c) {
            const int32_t comment = write("Re: Subject " + std::to_string(i), root);
            for (int r = 0; r < 2; ++r)
                write("Re: Re: Subject " + std::to_string(i), comment);
        }
    }
}

World Seed(const std::string& path)
{
    miravod::Store store;
    std::string error;
    if (!store.Open(path, &error))
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), error.c_str());
    const pellar::TDateTime now = pellar::NowLocal();
    World w;
    w.reader = store.CreatePerson("Bench Reader", miravod::PasswordHash::Make(kPassword, 1000), now);
    const int32_t writers[] = {store.CreatePerson("Ann", "x", now), store.CreatePerson("Bo", "x", now)};
    w.bench = store.CreateConference("Ten thousand", "00000000", 0, now);
    w.tree = store.CreateConference("Two thousand", "00000000", 0, now);
    store.AddMember(w.reader, w.bench, 200);
    store.AddMember(w.reader, w.tree, 100);
    AddTrees(store, writers[0], w.bench, 1000, nullptr);
    AddTrees(store, writers[1], w.tree, 200, &w.treeTexts);
    store.Commit(&error);
    return w;
}

class OneConferenceList : public pellar::ConferenceListPort {
public:
    explicit OneConferenceList(int32_t conf) : conf_(conf) {}
    int RowCount() override { return 1; }
    int32_t RowConference(int) override { return conf_; }
    int SelectedRow() override { return selected_; }
    void SelectRow(int row) override { selected_ = row; }
    void ScrollIntoView(int) override {}
    void ClearSelection() override { selected_ = -1; }
    void Refresh() override {}

private:
    int32_t conf_;
    int selected_ = -1;
};

class QuietHost : public pellar::ReadNextHost {
public:
    int shown = 0;
    void ShowText(int32_t) override { ++shown; }
    void ShowInfo(const std::string&) override {}
    void ChangeActivity(std::string_view) override {}
    void Disconnect() override {}
    void EndWork() override {}
};

// A logged-on reader with its memberships cached.
struct Reader {
    Reader(int port, const World& world) : services(client), list(world.bench)
    {
        client.ComThread().Connect("127.0.0.1", std::to_string(port));
        client.ConnectedEvent().WaitFor(10000);
        client.SetServerVersionInfo(pellar::ServerVersionInfoRec{10, "miravod", ""});
        pellar::TLogonTrans logon(client.Protocol(), world.reader, kPassword, false);
        if (!client.Transactions().ExecuteAndWait(logon))
            verdicts.Fail("the reader did not log on at port " + std::to_string(port));
        client.SetCurrentPerson(world.reader);
        client.Cache().ResumeMarkRead("bench:" + std::to_string(port), world.reader);
        std::vector<std::shared_ptr<pellar::TMiravoMembership>> memberships;
        pellar::TGetMembershipTrans request(client.Protocol(), world.reader, memberships, &client.Cache());
        client.Transactions().ExecuteAndWait(request);
        for (auto& m : memberships) {
            m->SetMayHaveUnread(true);
            client.Cache().PutMembership(m);
        }
    }
    ~Reader() { client.Cache().FlushMarkRead(true); }

    // What the reading window does before the first step: the conference
    // list shows the unread count, which loads the conference's statuses.
    void ShowConferenceList(int32_t conf)
    {
        if (const auto membership = client.Cache().GetMembership(conf))
            membership->UnreadCount();
    }

    // Wall time of each step.
    std::vector<double> ReadSteps(int steps)
    {
        std::vector<double> times;
        for (int i = 0; i < steps; ++i) {
            const auto start = Clock::now();
            pellar::TReadNextTextThread step(services, gui, list, host, *status);
            step.Run();
            times.push_back(Seconds(Clock::now() - start));
        }
        return times;
    }

    pellar::Client client{bench::QuietClientOptions()};
    pellar::ClientReadingServices services;
    pellar::InlineGuiThread gui;
    OneConferenceList list;
    QuietHost host;
    std::unique_ptr<pellar::TCurrentReadStatus> status = std::make_unique<pellar::TCurrentReadStatus>();
};

double Sum(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

struct Setup {
    World world;
    std::unique_ptr<bench::ForkedServer> fast, delayed;
};
Setup* g_setup = nullptr;

// One warm read-next step, for Google Benchmark's own statistics: the
// prefetch has run over the whole conference before the first iteration.
void BM_ReadNextStepWarm(benchmark::State& state)
{
    Reader reader(g_setup->fast->Port(), g_setup->world);
    pellar::SubjectTreeModel tree;
    pellar::SubjectTreeAsyncThread builder(reader.services, tree);
    builder.Enqueue({g_setup->world.bench});
    builder.Resume();
    builder.WaitUntilDrained(600000);
    builder.Pause();
    for (auto _ : state) {
        pellar::TReadNextTextThread step(reader.services, reader.gui, reader.list, reader.host, *reader.status);
        step.Run();
    }
}
BENCHMARK(BM_ReadNextStepWarm)->Iterations(200)->UseRealTime();

void ReadNextRatios(Setup& s)
{
    // Cold cache, with and without the reply delay.
    std::vector<double> delayed, fast;
    uint64_t coldRequests = 0;
    double coldCpu = 0;
    {
        Reader r(s.delayed->Port(), s.world);
        delayed = r.ReadSteps(kSteps);
    }
    {
        Reader r(s.fast->Port(), s.world);
        const uint64_t before = r.client.Counters().requestsSent;
        const double cpu = ClientCpuSeconds();
        fast = r.ReadSteps(kSteps);
        coldCpu = ClientCpuSeconds() - cpu;
        coldRequests = r.client.Counters().requestsSent - before;
    }
    // The first step as in the window, after the conference list was shown.
    double listedFirst = 0;
    {
        Reader d(s.delayed->Port(), s.world);
        d.ShowConferenceList(s.world.bench);
        Reader f(s.fast->Port(), s.world);
        f.ShowConferenceList(s.world.bench);
        listedFirst = (d.ReadSteps(1)[0] - f.ReadSteps(1)[0]) * 1000.0 / kDelayMs;
    }
    // The first step also loads the conference's status and the first block
    // of its text map: it is reported on its own.
    auto trips = [&](size_t i) { return (delayed[i] - fast[i]) * 1000.0 / kDelayMs; };
    double maxTrips = 0, sumTrips = 0;
    for (size_t i = 1; i < delayed.size(); ++i) {
        maxTrips = std::max(maxTrips, trips(i));
        sumTrips += trips(i);
    }
    const double meanTrips = sumTrips / static_cast<double>(delayed.size() - 1);
    std::printf("read-next, cold cache: %.2f round trips per step, at most %.1f (limit 3, and 0.5 for timing "
                "noise) %s; first step %.1f (%.1f after the conference list); %.1f typed requests per step; client "
                "CPU %.0f us per step\n",
                meanTrips, maxTrips, verdicts.AtMost(maxTrips, 3.5, "TOO MANY"), trips(0), listedFirst,
                static_cast<double>(coldRequests) / kSteps, coldCpu * 1e6 / kSteps);
    // After the prefetch: the fast server, counting the requests a step waits for.
    Reader r(s.fast->Port(), s.world);
    pellar::SubjectTreeModel tree;
    pellar::SubjectTreeAsyncThread builder(r.services, tree);
    builder.Enqueue({s.world.bench});
    const auto prefetchStart = Clock::now();
    builder.Resume();
    builder.WaitUntilDrained(600000);
    builder.Pause();
    const double prefetch = Seconds(Clock::now() - prefetchStart);
    const uint64_t before = r.client.Counters().requestsSent;
    const double cpu = ClientCpuSeconds();
    const std::vector<double> warm = r.ReadSteps(kSteps);
    const double warmCpu = ClientCpuSeconds() - cpu;
    const double warmTrips = static_cast<double>(r.client.Counters().requestsSent - before) / kSteps;
    std::printf("read-next, after the prefetch (%.1f s for the conference): %.2f round trips per step (limit 0) %s; "
                "client CPU %.0f us per step; cold/warm step time %.1f\n",
                prefetch, warmTrips, verdicts.AtMost(warmTrips, 0, "TOO MANY"), warmCpu * 1e6 / kSteps,
                Sum(fast) / std::max(Sum(warm), 1e-9));
}

// One cold build of the tree and one cold fetch of the same statuses, in
// seconds, side by side.
std::pair<double, double> TreeAndStatuses(Setup& s)
{
    double treeTime = 0, statTime = 0;
    {
        Reader r(s.fast->Port(), s.world);
        pellar::SubjectTreeModel tree;
        pellar::SubjectTreeAsyncThread builder(r.services, tree);
        const auto start = Clock::now();
        builder.RequestConference(s.world.tree);
        builder.Resume();
        builder.WaitUntilDrained(600000);
        treeTime = Seconds(Clock::now() - start);
        builder.Pause();
        if (tree.TextsInTreeOrder().size() != s.world.treeTexts.size())
            verdicts.Fail("the subject tree holds " + std::to_string(tree.TextsInTreeOrder().size()) +
                          " texts, expected " + std::to_string(s.world.treeTexts.size()));
    }
    {
        Reader r(s.fast->Port(), s.world);
        const auto start = Clock::now();
        for (int32_t t : s.world.treeTexts)
            benchmark::DoNotOptimize(r.client.Cache().GetTextStat(t));
        statTime = Seconds(Clock::now() - start);
    }
    return {treeTime, statTime};
}

void TreeRatio(Setup& s)
{
    constexpr int kPairs = 7;
    std::vector<double> ratios;
    for (int i = 0; i < kPairs; ++i) {
        const auto [tree, statuses] = TreeAndStatuses(s);
        std::printf("subject tree of %zu unread texts: %.3f s, their statuses alone (one at a time) %.3f s, "
                    "ratio %.2f\n",
                    s.world.treeTexts.size(), tree, statuses, tree / statuses);
        ratios.push_back(tree / statuses);
    }
    std::sort(ratios.begin(), ratios.end());
    const double median = ratios[ratios.size() / 2];
    std::printf("subject tree ÷ statuses alone: median %.2f (%.2f-%.2f over %d pairs, limit 1.3) %s\n", median,
                ratios.front(), ratios.back(), kPairs, verdicts.AtMost(median, 1.3));
}

} // namespace

int main(int argc, char** argv)
{
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec)
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    const std::string base = (dir / ("pellar-reading-bench-" + std::to_string(getpid()))).string();
    std::filesystem::remove(base + "-a.db");
    std::filesystem::remove(base + "-b.db");
    Setup setup;
    setup.world = Seed(base + "-a.db");
    std::filesystem::copy_file(base + "-a.db", base + "-b.db");
    // Both servers are forked before this process starts any thread.
    setup.fast = std::make_unique<bench::ForkedServer>(base + "-a.db", 0);
    setup.delayed = std::make_unique<bench::ForkedServer>(base + "-b.db", kDelayMs);
    g_setup = &setup;
    if (setup.fast->Port() == 0 || setup.delayed->Port() == 0) {
        std::fprintf(stderr, "a server did not start\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ReadNextRatios(setup);
    TreeRatio(setup);
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    setup.fast.reset();
    setup.delayed.reset();
    for (const char* db : {"-a.db", "-b.db"})
        bench::RemoveDatabase(base + db);
    return verdicts.ExitStatus();
}
