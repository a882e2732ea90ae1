// Entering a conference of 10,000 unread texts with the subject tree shown
// (offscreen): the builder fills the tree view against miravod in this
// process. A probe timer ticking every 5 ms measures the longest gap of the
// GUI event loop while the tree fills; the whole fill is timed from the
// request to the last node laid out. Each repetition logs on afresh, so the
// caches start cold every time. Side by side with each fill, the floor it is
// held to: the same statuses and subjects fetched over a raw socket with every
// request pipelined; the fill's time over that is the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "core/link/MVRequests.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/TMiravoMembership.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/SubjectTree.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/MVCache.h"
#include "core/session/Client.h"
#include "core/reading/SubjectTreeModel.h"
#include "gui/reading/SubjectTreeItemModel.h"
#include "gui/reading/SubjectTreeView.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/Store.h"

namespace {

constexpr const char* kPassword = "bench";
constexpr int kTrees = 625;  // of 16 texts each
constexpr int kSubjects = 400;
constexpr int kRepetitions = 5;
// How far above the network's floor a whole fill may run: the builder keeps
// many requests in flight, so it should come close to all of them at once;
// laying out 10,000 nodes on the GUI thread costs about as much again.
constexpr double kRatioLimit = 3.0;
// Entering the conference again from another one once its texts are cached:
// what the user waits for before the whole tree is listed.
constexpr double kWarmLimitMs = 40;

// The subject the tree shows comes from a text's first line; the raw floor
// asks for this many characters of each text.
constexpr int kSubjectChars = 200;

struct World {
    int32_t reader = 0, conf = 0;
    int32_t other = 0;  // a small conference entered in between
    int texts = 0;
    std::vector<int32_t> numbers;
};

// Trees of sixteen: a root, three comments, two replies to each comment and
// one reply to each of those. Groups of 25 trees are written interleaved,
// level by level, as discussions run side by side; subjects repeat, so some
// subject nodes gather several roots.
World Seed(const std::string& path)
{
    miravod::Store store;
    std::string error;
    if (!store.Open(path, &error))
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), error.c_str());
    const pellar::TDateTime now = pellar::NowLocal();
    World w;
    w.reader = store.CreatePerson("Bench Reader", miravod::PasswordHash::Make(kPassword, 1000), now);
    const int32_t writers[] = {store.CreatePerson("Ann", "x", now), store.CreatePerson("Bo", "x", now),
                               store.CreatePerson("Cy", "x", now)};
    w.conf = store.CreateConference("Ten thousand", "00000000", 0, now);
    store.AddMember(w.reader, w.conf, 200);
    w.other = store.CreateConference("A few", "00000000", 0, now);
    store.AddMember(w.reader, w.other, 100);
    auto write = [&](const std::string& subject, int32_t parent) {
        const int32_t n = bench::SeedText(store, writers[w.texts % 3], w.conf, subject, parent, now);
        ++w.texts;
        w.numbers.push_back(n);
        return n;
    };
    constexpr int kGroup = 25;
    for (int g = 0; g < kTrees; g += kGroup) {
        std::vector<int32_t> level;
        for (int i = g; i < g + kGroup; ++i)
            level.push_back(write("Subject " + std::to_string(i % kSubjects), 0));
        for (int fanOut : {3, 2, 1}) {
            std::vector<int32_t> next;
            for (int32_t parent : level)
                for (int c = 0; c < fanOut; ++c)
                    next.push_back(write("Re: a reply", parent));
            level = std::move(next);
        }
    }
    for (int i = 0; i < 20; ++i)
        bench::SeedText(store, writers[i % 3], w.other, "Elsewhere " + std::to_string(i), 0, now);
    store.Commit(&error);
    return w;
}

// A logged-on reader with its memberships cached.
struct Reader {
    Reader(int port, const World& world) : services(client)
    {
        client.ComThread().Connect("127.0.0.1", std::to_string(port));
        client.ConnectedEvent().WaitFor(10000);
        client.SetServerVersionInfo(pellar::ServerVersionInfoRec{10, "miravod", ""});
        pellar::TLogonTrans logon(client.Protocol(), world.reader, kPassword, false);
        client.Transactions().ExecuteAndWait(logon);
        client.SetCurrentPerson(world.reader);
        std::vector<std::shared_ptr<pellar::TMiravoMembership>> memberships;
        pellar::TGetMembershipTrans request(client.Protocol(), world.reader, memberships, &client.Cache());
        client.Transactions().ExecuteAndWait(request);
        for (auto& m : memberships) {
            m->SetMayHaveUnread(true);
            client.Cache().PutMembership(m);
        }
    }

    pellar::Client client{bench::QuietClientOptions()};
    pellar::ClientReadingServices services;
};

struct Fill {
    double seconds = 0;
    double longestGapMs = 0;
    int batches = 0;
    size_t texts = 0;
    // Entering the conference again once everything is cached: what the
    // listing itself costs, from the request to the whole tree laid out.
    double warmSeconds = 0;
    size_t warmTexts = 0;
    int shownAgain = 0;  // trees the builder showed as it kept them
};

// One cold fill of the tree, as selecting the conference starts it.
Fill FillOnce(int port, const World& world)
{
    Reader reader(port, world);
    pellar::SubjectTreeModel tree;
    pellar::TSubjectTreeView view;
    view.SetTree(tree);
    view.resize(420, 640);
    view.show();
    pellar::SubjectTreeAsyncThread builder(reader.services, tree);

    Fill fill;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        fill.longestGapMs = std::max(fill.longestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (builder.RunsCompleted() >= 1 && builder.IsIdle() && view.TreeModel()->IsUpToDate())
            loop.quit();
    });

    const auto start = std::chrono::steady_clock::now();
    sinceTick.start();
    probe.start();
    check.start();
    builder.RequestConference(world.conf);
    builder.Resume();
    loop.exec();
    // The last batch's layout runs on the next pass of the event loop.
    QApplication::processEvents();
    view.viewport()->repaint();
    fill.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    probe.stop();
    fill.batches = builder.BatchesPlaced();
    fill.texts = view.TextsInTreeOrder().size();

    // Another conference first, as a user comes back to this one.
    int runs = builder.RunsCompleted();
    QTimer again;
    again.setInterval(1);
    QObject::connect(&again, &QTimer::timeout, [&] {
        if (builder.RunsCompleted() > runs && builder.IsIdle() && view.TreeModel()->IsUpToDate())
            loop.quit();
    });
    check.stop();
    again.start();
    builder.RequestConference(world.other);
    loop.exec();
    QApplication::processEvents();
    runs = builder.RunsCompleted();
    const auto warmStart = std::chrono::steady_clock::now();
    builder.RequestConference(world.conf);
    loop.exec();
    QApplication::processEvents();
    view.viewport()->repaint();
    fill.warmSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - warmStart).count();
    fill.warmTexts = view.TextsInTreeOrder().size();
    fill.shownAgain = builder.TreesShownAgain();
    builder.Pause();
    return fill;
}

// Counts the replies in a byte stream: '=' answers, '%' errors; other lines
// (asynchronous messages) are passed over. Hollerith strings are skipped
// whole, since a text's bytes hold line feeds of their own.
class ReplyCounter {
public:
    void Feed(const char* p, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            const char c = p[i];
            if (skip_ > 0) {
                --skip_;
            } else if (atLineStart_) {
                kind_ = c;
                atLineStart_ = false;
                number_ = -1;
            } else if (c == '\n') {
                answers_ += kind_ == '=';
                errors_ += kind_ == '%';
                atLineStart_ = true;
            } else if (c >= '0' && c <= '9') {
                if (number_ >= 0 && number_ < (int64_t{1} << 40))
                    number_ = number_ * 10 + (c - '0');
            } else if (c == 'H' && number_ >= 0) {
                skip_ = number_;
                number_ = -1;
            } else {
                // A token starts after a blank; anything else is not a length.
                number_ = c == ' ' ? 0 : -1;
            }
        }
    }
    int64_t Answers() const { return answers_; }
    int64_t Errors() const { return errors_; }
    int64_t Replies() const { return answers_ + errors_; }

private:
    bool atLineStart_ = true;
    char kind_ = 0;
    int64_t number_ = -1;  // the digits of the token so far; -1 when it is not a number
    int64_t skip_ = 0;
    int64_t answers_ = 0, errors_ = 0;
};

// Reads until counter has seen `replies` replies; false on a close or after
// 60 s without a byte.
bool ReadReplies(int fd, ReplyCounter& counter, int64_t replies)
{
    char buf[65536];
    while (counter.Replies() < replies) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0)
            return false;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        counter.Feed(buf, static_cast<size_t>(n));
    }
    return true;
}

// The floor: a raw logged-on socket sends the status request and a ranged
// text request for every text at once (a thread writes while this one reads,
// so neither side's buffers stall the other) and waits for every reply.
// Seconds from the first request to the last reply; negative when a reply
// was an error or the link failed.
double PipelinedFetch(int port, const World& world)
{
    const int fd = bench::ConnectTo(port);
    if (fd < 0)
        return -1;
    ReplyCounter counter;
    int32_t id = 1;
    // The greeting is no reply; the logon's answer is.
    const bool loggedOn = bench::SendAll(fd, "A5Hbench\n" + pellar::requests::Login(world.reader, kPassword, false).Line(id++)) &&
                          ReadReplies(fd, counter, 1) && counter.Errors() == 0;
    std::string burst;
    for (int32_t text : world.numbers) {
        burst += pellar::requests::GetTextStat(text).Line(id++);
        burst += pellar::requests::GetText(text, 0, kSubjectChars).Line(id++);
    }
    const int64_t wanted = 1 + 2 * static_cast<int64_t>(world.numbers.size());
    const auto start = std::chrono::steady_clock::now();
    bool complete = false;
    if (loggedOn) {
        std::thread writer([&] { bench::SendAll(fd, burst); });
        complete = ReadReplies(fd, counter, wanted);
        writer.join();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Every reply was counted once: nothing may follow the last one.
    pollfd more{fd, POLLIN, 0};
    if (complete && poll(&more, 1, 100) != 0) {
        std::printf("pipelined fetch: bytes after the last reply counted\n");
        complete = false;
    }
    close(fd);
    if (!complete || counter.Errors() > 0) {
        std::printf("pipelined fetch: %lld answers and %lld errors of %lld replies\n",
                    static_cast<long long>(counter.Answers()), static_cast<long long>(counter.Errors()),
                    static_cast<long long>(wanted));
        return -1;
    }
    return seconds;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Placing 10,000 entries into a shown view in batches of 200, without the
// server: the GUI thread's own share of a fill.
void BM_PlaceTenThousandInBatches(benchmark::State& state)
{
    std::vector<pellar::TreeEntry> entries;
    for (int i = 0; i < 10000; ++i) {
        const int32_t text = i + 1;
        std::vector<int32_t> parents;
        if (i % 16 != 0)
            parents.push_back(text - 1 - (i % 3));
        entries.push_back({text, "Subject " + std::to_string((i / 16) % kSubjects), "Ann", std::move(parents)});
    }
    for (auto _ : state) {
        pellar::SubjectTreeModel tree;
        pellar::TSubjectTreeView view;
        view.SetTree(tree);
        view.resize(420, 640);
        view.show();
        for (size_t first = 0; first < entries.size(); first += 200) {
            const std::vector<pellar::TreeEntry> batch(entries.begin() + static_cast<long>(first),
                                                       entries.begin() + static_cast<long>(first + 200));
            pellar::PlaceTextsInTree(tree, batch);
            QApplication::processEvents();
        }
        while (!view.TreeModel()->IsUpToDate())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view.viewport()->repaint();
        benchmark::DoNotOptimize(view.TextsInTreeOrder().size());
    }
}
BENCHMARK(BM_PlaceTenThousandInBatches)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec)
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    const std::string db = (dir / ("pellar-tree-bench-" + std::to_string(getpid()) + ".db")).string();
    std::filesystem::remove(db);
    const World world = Seed(db);
    miravod::ServerOptions options;
    options.dbPath = db;
    options.demoCompanion = false;
    miravod::Server server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "the server did not start\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bench::Verdicts verdicts;
    std::vector<double> seconds, gaps, ratios, warm;
    for (int i = 0; i < kRepetitions; ++i) {
        const Fill fill = FillOnce(server.Port(), world);
        if (fill.texts != static_cast<size_t>(world.texts))
            verdicts.Fail("the tree holds " + std::to_string(fill.texts) + " texts, expected " +
                          std::to_string(world.texts));
        if (fill.warmTexts != static_cast<size_t>(world.texts))
            verdicts.Fail("entered again, the tree holds " + std::to_string(fill.warmTexts) + " texts, expected " +
                          std::to_string(world.texts));
        warm.push_back(fill.warmSeconds);
        const double floor = PipelinedFetch(server.Port(), world);
        if (floor <= 0) {
            verdicts.Fail("the pipelined fetch did not complete");
            continue;
        }
        std::printf("fill %d: %.3f s, longest event-loop gap %.1f ms, %d batches; pipelined fetch %.3f s, "
                    "ratio %.2f; entered again (cached) %.1f ms%s\n",
                    i + 1, fill.seconds, fill.longestGapMs, fill.batches, floor, fill.seconds / floor,
                    fill.warmSeconds * 1e3, fill.shownAgain > 0 ? ", the kept tree" : ", built again");
        seconds.push_back(fill.seconds);
        gaps.push_back(fill.longestGapMs);
        ratios.push_back(fill.seconds / floor);
    }
    if (!ratios.empty()) {
        const auto [minS, maxS] = std::minmax_element(seconds.begin(), seconds.end());
        const auto [minG, maxG] = std::minmax_element(gaps.begin(), gaps.end());
        const auto [minR, maxR] = std::minmax_element(ratios.begin(), ratios.end());
        std::printf("subject tree of %d unread texts: whole tree %.2f s (%.2f-%.2f, limit 2) %s; longest GUI gap "
                    "%.1f ms (%.1f-%.1f, limit 100) %s\n",
                    world.texts, Median(seconds), *minS, *maxS, verdicts.AtMost(Median(seconds), 2.0), Median(gaps),
                    *minG, *maxG, verdicts.AtMost(Median(gaps), 100.0, "TOO LONG"));
        const auto [minW, maxW] = std::minmax_element(warm.begin(), warm.end());
        std::printf("entering it again with everything cached, whole tree listed: median %.1f ms (%.1f-%.1f, "
                    "limit %.0f) %s\n",
                    Median(warm) * 1e3, *minW * 1e3, *maxW * 1e3, kWarmLimitMs,
                    verdicts.AtMost(Median(warm) * 1e3, kWarmLimitMs));
        std::printf("whole tree / the same statuses and subjects pipelined over a raw socket: median %.2f "
                    "(%.2f-%.2f, limit %.1f) %s\n",
                    Median(ratios), *minR, *maxR, kRatioLimit, verdicts.AtMost(Median(ratios), kRatioLimit));
    }
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    server.Stop();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(db + suffix);
    return verdicts.ExitStatus();
}
