// Reading a busy conference over a real network: the client talks to a
// miravod in a child process through a relay that holds every chunk half a
// round trip each way, at 0, 20 and 100 ms round trip side by side. One
// conference holds 10,000 unread texts in comment trees (1,000 roots, depths
// up to 6, bodies of about 300 bytes); the reader is a member of 1,010 more
// conferences with unread texts. Per round trip it measures, over several
// cold runs: logon to the conference list with its counts; entering the big
// conference to its whole tree listed, with the requests that travelled per
// round trip; a user's own request sent while the tree fills; the first
// article after the key; and the bytes received for reading 200 texts
// against the bytes those texts, their statuses and the tree's subject lines
// take on the wire. Exits non-zero when a figure misses its limit.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/LatencyRelay.h"
#include "core/base/GuiThread.h"
#include "core/link/MVRequests.h"
#include "core/wire/TMiravoMembership.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/reading/TReadNextTextThread.h"
#include "core/session/Client.h"
#include "core/session/MVCache.h"
#include "server/PasswordHash.h"
#include "server/Store.h"
#include "tests/support/ReadNextPorts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPassword = "bench";
constexpr int kRoots = 1000;
constexpr int kCommentsPerRoot = 9;
constexpr int kOtherConferences = 1010;
constexpr int kReadTexts = 200;
constexpr int kRuns = 5;
constexpr int kRoundTrips[] = {0, 20, 100};
constexpr int kReaders = kRuns * 3 + 1;

struct World {
    // One reader per cold run (a run marks what it reads) and one for the
    // baseline, all members of the same conferences.
    std::vector<int32_t> readers;
    int32_t big = 0;
    std::vector<int32_t> bigTexts;
    std::vector<int32_t> subjectBytes;  // of each text's first line, its line feed included
};

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Discussions run side by side: each round writes the next reply of every
// root's tree, so a tree's texts lie far apart in local numbers. A tree's
// nine comments reach depth 6 along one branch and fan out on others.
World Seed(const std::string& path)
{
    miravod::Store store;
    std::string error;
    if (!store.Open(path, &error))
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), error.c_str());
    const pellar::TDateTime now = pellar::NowLocal();
    World w;
    for (int i = 0; i < kReaders; ++i)
        w.readers.push_back(
            store.CreatePerson("Bench Reader " + std::to_string(i), miravod::PasswordHash::Make(kPassword, 1000), now));
    std::vector<int32_t> writers;
    for (const char* name : {"Ann", "Bo", "Cy", "Di", "Ed", "Flo", "Gus"})
        writers.push_back(store.CreatePerson(name, "x", now));
    w.big = store.CreateConference("Ten thousand", "00000000", 0, now);
    for (int32_t reader : w.readers)
        store.AddMember(reader, w.big, 250);
    const std::string words =
        "A line or two of text to read, as people write them when they answer one another in a "
        "conference that has been busy all week.\nAnd another line, so that the body is about as long as "
        "an ordinary short text: three hundred bytes or so, with a full stop at the end.\n";
    auto write = [&](const std::string& subject, int32_t parent) {
        const int32_t n = bench::SeedText(store, writers[w.bigTexts.size() % writers.size()], w.big, subject,
                                          parent, now);
        store.EditText(n).body = subject + "\n" + words;
        w.bigTexts.push_back(n);
        w.subjectBytes.push_back(static_cast<int32_t>(subject.size() + 1));
        return n;
    };
    // Parent of comment k (1-based) within a tree: 0 is the root.
    constexpr int kParentOf[kCommentsPerRoot + 1] = {-1, 0, 1, 2, 3, 4, 5, 0, 1, 7};
    std::vector<std::vector<int32_t>> trees(kRoots);
    for (int r = 0; r < kRoots; ++r)
        trees[r].push_back(write("Discussion number " + std::to_string(r) + " about something", 0));
    for (int k = 1; k <= kCommentsPerRoot; ++k) {
        for (int r = 0; r < kRoots; ++r)
            trees[r].push_back(write("Re: discussion number " + std::to_string(r), trees[r][kParentOf[k]]));
    }
    for (int c = 0; c < kOtherConferences; ++c) {
        const int32_t conf = store.CreateConference("Conference " + std::to_string(c), "00000000", 0, now);
        for (int32_t reader : w.readers)
            store.AddMember(reader, conf, 100 + c % 100);
        for (int t = 0; t <= c % 3; ++t)
            bench::SeedText(store, writers[t], conf, "Small talk " + std::to_string(t), 0, now);
    }
    store.Commit(&error);
    return w;
}

class InlineGui : public pellar::GuiThread {
public:
    void invokeAndWait(std::function<void()> fn) override { fn(); }
};

// The tree model, counting its text nodes where the bench can read them.
class CountingTree : public pellar::SubjectTreeModel {
public:
    pellar::TreeNodeId AddTextNode(pellar::TreeNodeId parent, std::string_view caption, int32_t text) override
    {
        const pellar::TreeNodeId id = SubjectTreeModel::AddTextNode(parent, caption, text);
        ++placed;
        return id;
    }
    std::atomic<size_t> placed{0};
};

// A reader logged on through the relay, memberships cached; the time until
// the conference list could show every count.
struct Reader {
    explicit Reader(int port, int32_t person) : services(client)
    {
        const auto start = Clock::now();
        client.ComThread().Connect("127.0.0.1", std::to_string(port));
        client.ConnectedEvent().WaitFor(10000);
        client.SetServerVersionInfo(pellar::ServerVersionInfoRec{10, "miravod", ""});
        pellar::TLogonTrans logon(client.Protocol(), person, kPassword, false);
        client.Transactions().ExecuteAndWait(logon);
        client.SetCurrentPerson(person);
        std::vector<std::shared_ptr<pellar::TMiravoMembership>> memberships;
        pellar::TGetMembershipTrans request(client.Protocol(), person, memberships, &client.Cache());
        client.Transactions().ExecuteAndWait(request);
        std::vector<int32_t> confs;
        for (auto& m : memberships) {
            m->SetMayHaveUnread(true);
            confs.push_back(m->ConfNo());
            client.Cache().PutMembership(m);
        }
        client.Cache().LoadConferenceStatuses(confs);
        logonMs = Ms(Clock::now() - start);
        memberships_ = confs.size();
    }

    pellar::Client client{bench::QuietClientOptions()};
    pellar::ClientReadingServices services;
    double logonMs = 0;
    size_t memberships_ = 0;
};

struct Run {
    double logonMs = 0, treeMs = 0, userMs = 0, firstArticleMs = 0;
    double requestsPerTrip = 0;
    int peakInFlight = 0;
    uint64_t treeRequests = 0, treeBytes = 0, readingBytes = 0, bytesSent = 0;
    size_t placed = 0;
    std::vector<int32_t> read;
};

// One cold run: logon, enter the big conference, ask for something of one's
// own halfway through the fill, then read 200 texts.
Run RunOnce(int relayPort, int roundTripMs, const World& world, int32_t person)
{
    Run run;
    Reader reader(relayPort, person);
    run.logonMs = reader.logonMs;
    pellar::Client& client = reader.client;
    CountingTree tree;
    InlineGui gui;
    pellar::SubjectTreeAsyncThread builder(reader.services, tree);
    client.Transactions().ResetPeakOutstanding();
    const uint64_t requestsBefore = client.Counters().requestsSent;
    const uint64_t bytesBefore = client.Counters().bytesReceived;
    const uint64_t sentBefore = client.Counters().bytesSent;

    const auto start = Clock::now();
    builder.RequestConference(world.big);
    builder.Resume();
    const size_t all = world.bigTexts.size();
    bool asked = false;
    while (tree.placed.load() < all && Clock::now() - start < std::chrono::seconds(120) &&
           !(builder.RunsCompleted() > 0 && builder.IsIdle())) {
        if (!asked && tree.placed.load() >= all / 3) {
            asked = true;
            const auto userStart = Clock::now();
            pellar::TGenericTrans time(client.Protocol(), "Get the time", pellar::requests::GetTime());
            client.Transactions().ExecuteAndWait(time);
            run.userMs = Ms(Clock::now() - userStart);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    run.treeMs = Ms(Clock::now() - start);
    run.placed = tree.placed.load();
    if (run.placed < all)
        std::fprintf(stderr, "the tree stopped at %zu of %zu texts (builder idle: %d)\n", run.placed, all,
                     builder.IsIdle() ? 1 : 0);
    run.treeRequests = client.Counters().requestsSent - requestsBefore;
    run.peakInFlight = client.Transactions().PeakOutstanding();
    const double trips = roundTripMs > 0 ? run.treeMs / roundTripMs : 1;
    run.requestsPerTrip = static_cast<double>(run.treeRequests) / std::max(1.0, trips);
    builder.WaitUntilDrained(60000);
    run.treeBytes = client.Counters().bytesReceived - bytesBefore;

    pellar::test::FakeList list;
    list.rows = {world.big};
    pellar::test::FakeHost host;
    pellar::TCurrentReadStatus status;
    for (int i = 0; i < kReadTexts; ++i) {
        const auto stepStart = Clock::now();
        pellar::TReadNextTextThread step(reader.services, gui, list, host, status);
        step.Run();
        if (i == 0)
            run.firstArticleMs = Ms(Clock::now() - stepStart);
        // As the reading window does once a text is shown.
        if (!host.shown.empty())
            builder.ReadAheadFrom(host.shown.back());
    }
    builder.WaitUntilDrained(60000);
    client.Cache().FlushMarkRead(true);
    run.readingBytes = client.Counters().bytesReceived - bytesBefore;
    run.bytesSent = client.Counters().bytesSent - sentBefore;
    run.read = host.shown;
    builder.Pause();
    return run;
}

struct Baseline {
    uint64_t bytes = 0;      // statuses, exact subject lines and the texts read
    double outlineMs = 0;    // statuses and subject lines alone, pipelined
};

// The requests executed side by side, all sent before the first is waited for.
void Pipelined(pellar::Client& client, std::vector<std::unique_ptr<pellar::TMiravoTransaction>>& requests)
{
    auto sync = std::make_shared<pellar::TSyncronizer>();
    for (auto& r : requests) {
        sync->Acquire();
        client.Transactions().Execute(*r, sync);
    }
    sync->WaitFor(pellar::kInfinite);
}

// What the same reading needs on the wire at least, fetched by a second
// client without any logic of the program's: every unread text's status and
// exactly its first line, pipelined, and the texts read, whole.
Baseline Needed(int port, const World& world, const std::vector<int32_t>& read)
{
    Reader reader(port, world.readers.back());
    pellar::Client& client = reader.client;
    const uint64_t before = client.Counters().bytesReceived;
    std::vector<pellar::TextStatType> stats(world.bigTexts.size());
    std::vector<std::unique_ptr<pellar::TMiravoTransaction>> outline;
    for (size_t i = 0; i < world.bigTexts.size(); ++i) {
        const int32_t text = world.bigTexts[i];
        outline.push_back(std::make_unique<pellar::TGetTextStatTrans>(client.Protocol(), text, stats[i]));
        outline.push_back(std::make_unique<pellar::TGetTextTrans>(client.Protocol(), text, world.subjectBytes.at(i)));
    }
    const auto start = Clock::now();
    Pipelined(client, outline);
    Baseline b;
    b.outlineMs = Ms(Clock::now() - start);
    std::vector<std::unique_ptr<pellar::TMiravoTransaction>> bodies;
    for (int32_t text : read)
        bodies.push_back(std::make_unique<pellar::TGetTextTrans>(client.Protocol(), text));
    Pipelined(client, bodies);
    b.bytes = client.Counters().bytesReceived - before;
    return b;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figure {
    std::string text;
    bool met = true;
};

// "median (min–max)" of one field over the runs.
template <typename Field>
std::string Spread(const std::vector<Run>& runs, Field field, double& median)
{
    std::vector<double> v;
    for (const Run& r : runs)
        v.push_back(static_cast<double>(field(r)));
    median = Median(v);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.1f (%.1f-%.1f)", median, *std::min_element(v.begin(), v.end()),
                  *std::max_element(v.begin(), v.end()));
    return buf;
}

} // namespace

int main(int argc, char** argv)
{
    // Flags only: every figure below is measured side by side by hand.
    benchmark::Initialize(&argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pellar-netread-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string db = (dir / "busy.sqlite").string();
    const World world = Seed(db);
    bool allMet = true;
    {
        bench::ForkedServer server(db, 0);
        if (server.Port() == 0) {
            std::fprintf(stderr, "the server did not start\n");
            return 1;
        }
        std::printf("\n%zu unread texts in one conference, %d more conferences; %d cold runs per round trip\n",
                    world.bigTexts.size(), kOtherConferences, kRuns);
        size_t nextReader = 0;
        for (const int rtt : kRoundTrips) {
            bench::LatencyRelay relay(static_cast<uint16_t>(server.Port()), rtt / 2);
            std::vector<Run> runs;
            for (int i = 0; i < kRuns; ++i)
                runs.push_back(RunOnce(relay.Port(), rtt, world, world.readers.at(nextReader++)));
            const Baseline needed = Needed(relay.Port(), world, runs.front().read);
            double logon, tree, user, first, perTrip, peak, treeRequests, bytes;
            const std::string logonText = Spread(runs, [](const Run& r) { return r.logonMs; }, logon);
            const std::string treeText = Spread(runs, [](const Run& r) { return r.treeMs; }, tree);
            const std::string userText = Spread(runs, [](const Run& r) { return r.userMs; }, user);
            const std::string firstText = Spread(runs, [](const Run& r) { return r.firstArticleMs; }, first);
            const std::string perTripText = Spread(runs, [](const Run& r) { return r.requestsPerTrip; }, perTrip);
            Spread(runs, [](const Run& r) { return r.peakInFlight; }, peak);
            Spread(runs, [](const Run& r) { return r.treeRequests; }, treeRequests);
            Spread(runs, [](const Run& r) { return r.readingBytes; }, bytes);
            bool complete = true;
            for (const Run& r : runs)
                complete = complete && r.placed == world.bigTexts.size() && r.read.size() == kReadTexts;
            const double bytesRatio = static_cast<double>(runs.front().readingBytes) / static_cast<double>(needed.bytes);

            std::vector<std::pair<std::string, bool>> checks;
            auto atMost = [&](const char* what, double value, double limit) {
                char buf[160];
                std::snprintf(buf, sizeof buf, "%s %.2f <= %.2f", what, value, limit);
                checks.emplace_back(buf, value <= limit);
            };
            auto atLeast = [&](const char* what, double value, double limit) {
                char buf[160];
                std::snprintf(buf, sizeof buf, "%s %.2f >= %.2f", what, value, limit);
                checks.emplace_back(buf, value >= limit);
            };
            checks.emplace_back("every text listed and 200 read in every run", complete);
            if (rtt == 0) {
                atMost("logon to counts (ms)", logon, 50);
                atMost("tree (ms)", tree, 500);
            } else {
                if (rtt == 20) {
                    atMost("logon to counts (ms)", logon, 400);
                    atMost("tree (ms)", tree, 2000);
                    atLeast("requests per round trip", perTrip, 100);
                    atMost("bytes received / needed", bytesRatio, 1.2);
                } else {
                    atMost("tree (ms)", tree, 8000);
                }
                atMost("first article (ms)", first, rtt + 20);
                atMost("own request during the fill (ms)", user, 2 * rtt + 20);
            }

            std::printf("\n== round trip %d ms (median (min-max))\n", rtt);
            std::printf("logon to list with counts   %s ms\n", logonText.c_str());
            std::printf("enter to whole tree listed  %s ms; raw pipelined statuses and subjects %.1f ms; ratio %.2f\n",
                        treeText.c_str(), needed.outlineMs, tree / std::max(1.0, needed.outlineMs));
            std::printf("requests for the tree       %.0f; per round trip %s; most in flight %.0f\n", treeRequests,
                        perTripText.c_str(), peak);
            std::printf("own request during the fill %s ms\n", userText.c_str());
            std::printf("first article after the key %s ms\n", firstText.c_str());
            std::printf("bytes received (tree + %d texts) %llu, sent %llu; needed %llu; ratio %.2f\n", kReadTexts,
                        static_cast<unsigned long long>(runs.front().readingBytes),
                        static_cast<unsigned long long>(runs.front().bytesSent),
                        static_cast<unsigned long long>(needed.bytes), bytesRatio);
            for (const auto& [text, met] : checks) {
                std::printf("  %-60s %s\n", text.c_str(), met ? "ok" : "MISSED");
                allMet = allMet && met;
            }
        }
    }
    std::filesystem::remove_all(dir);
    std::printf("\n%s\n", allMet ? "every figure met" : "SOME FIGURES MISSED");
    return allMet ? 0 : 1;
}
