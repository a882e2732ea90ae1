// Reading a busy conference with the Space key, as a user does, while the
// subject tree of that conference still fills: the real windows (offscreen)
// log on through the latency relay to a miravod in a child process, the
// big conference is selected first, and Space is pressed in the article pane
// a moment after each article was painted. Measured side by side at 0, 20 and
// 100 ms round trip:
//   - Space -> article painted (median, p99, max over every press),
//   - the longest pause of the GUI event loop from logon to the last press,
//     with the step it fell in,
//   - the resident memory after the whole conference was read at 0 ms, in a
//     process of its own (its own copy of the database, read without pauses),
//   - the most hand-overs to the GUI thread a read-next step made.
// A press that shows nothing, a session that does not complete or a figure
// past its limit fails the run (exit status 1).
#include "bench/gui/GuiProbe.h"
#include "bench/support/BenchServer.h"
#include "bench/support/LatencyRelay.h"
#include "bench/support/Verdict.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/session/Client.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/UserMessagePresenter.h"
#include "gui/shell/WaitForm.h"
#include "server/PasswordHash.h"
#include "server/Store.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace pellar;
using bench::Idle;
using bench::LoopProbe;
using bench::ResidentKb;
using bench::WaitFor;

namespace {

constexpr const char* kReader = "Bench Reader";
constexpr const char* kPassword = "bench";
constexpr int kRoots = 1000;
constexpr int kTexts = 10000;
constexpr int kOtherConferences = 1010;
constexpr int kPresses = 200;
// What a user takes between two presses when paging as fast as the eye goes.
constexpr int kPauseMs = 30;

// From the key to the article painted, at loopback and 20 ms.
constexpr double kMedianLimitMs = 3;
constexpr double kP99LimitMs = 12;
constexpr double kGapLimitMs = 50;
constexpr double kRssLimitMb = 60;
// Once the whole tree of the big conference is listed.
constexpr double kListedRssLimitMb = 45;
// A step hands the GUI thread its result and nothing else.
constexpr int kHandOverLimit = 1;

struct World {
    int32_t big = 0;
};

// ~300 bytes: a subject line and a paragraph.
std::string Body(const std::string& subject, int n)
{
    std::string body = subject + "\n";
    static const char* words[] = {"reading", "conference", "comment", "texts", "tree", "a", "the", "of", "and"};
    while (body.size() < 300)
        body += std::string(words[(n + body.size()) % 9]) + " ";
    return body;
}

// The big conference: 1,000 comment trees whose deepest chains run from 0
// to 6 comments, 10,000 texts in all, written in rounds (every tree's first
// text, then every tree's second...) as discussions run side by side. The
// reader is a member of 1,010 more conferences, each with two unread texts.
World Seed(const std::string& path)
{
    miravod::Store store;
    std::string error;
    if (!store.Open(path, &error))
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), error.c_str());
    const TDateTime now = NowLocal();
    World w;
    const int32_t reader = store.CreatePerson(kReader, miravod::PasswordHash::Make(kPassword, 1000), now);
    const int32_t writers[] = {store.CreatePerson("Ann Writer", "x", now), store.CreatePerson("Bo Writer", "x", now),
                               store.CreatePerson("Cy Writer", "x", now)};
    // A reader with a presentation is not asked to write one at logon.
    miravod::Text& about = store.NewText(reader, now);
    about.body = "About the reader\nReads a lot.";
    store.EditConf(reader).presentation = about.number;
    w.big = store.CreateConference("Busy conference", "00000000", 0, now);
    store.AddMember(reader, w.big, 255);

    // Each tree's parent list: node k comments parents[k] (-1 for the root).
    std::vector<std::vector<int>> parents(kRoots);
    std::vector<int> depthOf;
    int total = 0;
    for (int i = 0; i < kRoots; ++i) {
        const int depth = i % 7;
        parents[i].push_back(-1);
        for (int k = 1; k <= depth; ++k)
            parents[i].push_back(k - 1);
        total += depth + 1;
    }
    // The rest hang under nodes above the deepest, round robin.
    for (int i = 0; total < kTexts; i = (i + 1) % kRoots) {
        const int depth = i % 7;
        if (depth == 0)
            continue;
        auto& tree = parents[i];
        tree.push_back(static_cast<int>(tree.size() * 5 % depth));
        ++total;
    }
    std::vector<std::vector<int32_t>> numbers(kRoots);
    int written = 0;
    for (size_t round = 0; written < kTexts; ++round) {
        for (int i = 0; i < kRoots; ++i) {
            if (round >= parents[i].size())
                continue;
            const int parent = parents[i][round];
            const std::string subject = parent < 0 ? "Thread " + std::to_string(i) : "Re: thread " + std::to_string(i);
            const int32_t n = bench::SeedText(store, writers[written % 3], w.big, subject,
                                              parent < 0 ? 0 : numbers[i][static_cast<size_t>(parent)], now);
            store.EditText(n).body = Body(subject, written);
            numbers[i].push_back(n);
            ++written;
        }
    }
    for (int c = 0; c < kOtherConferences; ++c) {
        const int32_t conf = store.CreateConference("Side conference " + std::to_string(c), "00000000", 0, now);
        store.AddMember(reader, conf, 100);
        for (int t = 0; t < 2; ++t)
            bench::SeedText(store, writers[t], conf, "Side text " + std::to_string(t), 0, now);
    }
    store.Commit(&error);
    return w;
}

// Notes the first paint of the article pane that shows other text than it
// showed when armed (at the press).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(TMiravoTextEdit* pane) : pane_(pane) { pane_->viewport()->installEventFilter(this); }
    ~PaintWatch() override { pane_->viewport()->removeEventFilter(this); }
    void Arm(QElapsedTimer* since)
    {
        since_ = since;
        before_ = pane_->toPlainText();
        paintedAt_ = -1;
    }
    bool Painted() const { return paintedAt_ >= 0; }
    qint64 PaintedAt() const { return paintedAt_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == pane_->viewport() && since_ && paintedAt_ < 0 &&
            pane_->toPlainText() != before_)
            paintedAt_ = since_->nsecsElapsed();
        return false;
    }

private:
    TMiravoTextEdit* pane_;
    QElapsedTimer* since_ = nullptr;
    QString before_;
    qint64 paintedAt_ = -1;
};

struct RunFigures {
    std::vector<double> pressMs;
    // The parts of each press: the key waiting for the GUI thread, and the
    // step from its start to the article painted.
    std::vector<double> queuedMs, stepMs;
    double longestGapMs = 0;
    std::string gapPhase;
    int pressesWhileFilling = 0;
    int textsRead = 0;
    double rssMb = 0;
    double listedRssMb = 0;  // when the whole tree was listed
    double restGapMs = 0;  // reading the rest of the conference without pauses
    double treeSeconds = 0;
    // The most hand-overs to the GUI thread any read-next step made.
    int stepHandOvers = 0;
    std::string failure;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

RunFigures RunSession(int serverPort, int roundTripMs, const World& world, bool readAll)
{
    RunFigures figures;
    // Loopback is the server's own port: a relay that delays nothing would
    // only add a thread, its buffers and a hop to what is measured.
    std::optional<bench::LatencyRelay> relay;
    if (roundTripMs > 0) {
        relay.emplace(static_cast<uint16_t>(serverPort), roundTripMs / 2);
        if (relay->Port() == 0) {
            figures.failure = "the relay did not listen";
            return figures;
        }
    }
    const uint16_t port = relay ? relay->Port() : static_cast<uint16_t>(serverPort);
    QTemporaryDir state;
    AppController app(bench::RunOptions(state));
    app.Messages().SetShower([](QMessageBox::Icon, const QString&) {});
    auto windows = std::make_unique<AppWindows>(app);
    app.MainWindow().resize(1100, 800);
    app.MainWindow().show();
    const int patience = 120000;

    LoopProbe probe;
    probe.Start();
    probe.SetPhase("logon");
    bench::AnswerLogin(port, QString::fromLatin1(kReader), QString::fromLatin1(kPassword));
    QElapsedTimer sinceLogon;
    sinceLogon.start();
    app.MainWindow().Menus()->SessionConnectAction->trigger();
    TReadArticleForm* reading = windows->Reading();
    auto fail = [&](const std::string& why) {
        figures.failure = why;
        app.Disconnect();
        probe.Stop();
        windows.reset();
        return figures;
    };
    if (!app.MainWindow().IsOnline())
        return fail("the logon did not complete");

    probe.SetPhase("conference list");
    TConfListView* list = reading->ConfListView();
    if (!WaitFor([&] { return list->RowCount() >= kOtherConferences + 1 && reading->BusyCount() == 0; }, patience))
        return fail("the conference list did not fill: " + std::to_string(list->RowCount()) + " rows");
    if (list->SelectedConference() != world.big)
        return fail("conference " + std::to_string(list->SelectedConference()) + " is selected first, not " +
                    std::to_string(world.big));

    // Earlier sessions of the run have read some: the server keeps them read.
    const int unreadAtStart = list->Row(world.big) ? list->Row(world.big)->unread : 0;
    if (qEnvironmentVariableIsSet("PELLAR_BENCH_VERBOSE"))
        std::fprintf(stderr, "resident after the list: %.1f MB\n", ResidentKb() / 1024.0);
    probe.SetPhase("reading while the tree fills");
    SubjectTreeAsyncThread* builder = reading->SubjectTreeBuilder();
    QElapsedTimer sinceList;
    sinceList.start();
    TMiravoTextEdit* pane = reading->ArticleView()->MainEdit();
    PaintWatch paint(pane);
    int32_t shown = 0;
    QElapsedTimer pressed;
    qint64 startedAt = 0;
    const auto counting =
        QObject::connect(reading, &TReadArticleForm::TextShown, &app, [&](int32_t text) { shown = text; });
    const auto starting = QObject::connect(reading, &TReadArticleForm::ReadNextStarted, &app,
                                           [&] { startedAt = pressed.nsecsElapsed(); });
    std::set<int32_t> seen;
    bool measured = false;
    LoopProbe rest;
    bool treeDone = false;
    const int wanted = readAll ? kTexts : kPresses;
    pane->setFocus();
    while (static_cast<int>(seen.size()) < wanted) {
        // The builder's own word: walking the tree's 10,000 nodes here at
        // every press would be a pause of the benchmark's making.
        if (!treeDone && builder->RunsCompleted() >= 1 && builder->IsIdle()) {
            treeDone = true;
            figures.treeSeconds = sinceList.nsecsElapsed() / 1e9;
            figures.listedRssMb = static_cast<double>(ResidentKb()) / 1024.0;
            if (qEnvironmentVariableIsSet("PELLAR_BENCH_VERBOSE"))
                std::fprintf(stderr, "resident with the tree built: %.1f MB\n", figures.listedRssMb);
            probe.SetPhase("reading");
        }
        // Past the measured presses the rest of the conference is read
        // without pauses: only the memory after it is counted.
        Idle(figures.pressMs.size() < static_cast<size_t>(kPresses) ? kPauseMs : 0);
        shown = 0;
        startedAt = 0;
        pressed.start();
        paint.Arm(&pressed);
        QCoreApplication::postEvent(pane, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
        QCoreApplication::postEvent(pane, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " "));
        if (!WaitFor([&] { return shown != 0 && paint.Painted(); }, 10000))
            return fail("press " + std::to_string(seen.size() + 1) + " painted no new article");
        const double ms = paint.PaintedAt() / 1e6;
        if (!seen.insert(shown).second)
            return fail("text " + std::to_string(shown) + " was shown twice");
        if (reading->ReadStatus().Conference() != world.big)
            return fail("reading left the busy conference after " + std::to_string(seen.size()) + " texts");
        if (!measured && static_cast<int>(figures.pressMs.size()) >= kPresses && treeDone) {
            // The session as a user reads it is measured; what follows reads
            // the rest at full speed for the memory figure.
            measured = true;
            probe.Stop();
            figures.longestGapMs = probe.LongestGapMs();
            figures.gapPhase = probe.LongestPhase();
            rest.Start();
            rest.SetPhase("reading the rest without pauses");
        }
        if (static_cast<int>(figures.pressMs.size()) < kPresses) {
            figures.pressMs.push_back(ms);
            figures.queuedMs.push_back(startedAt / 1e6);
            figures.stepMs.push_back(ms - startedAt / 1e6);
            figures.pressesWhileFilling += treeDone ? 0 : 1;
        }
    }
    QObject::disconnect(counting);
    QObject::disconnect(starting);
    if (qEnvironmentVariableIsSet("PELLAR_BENCH_VERBOSE")) {
        // The slowest presses, for whoever hunts them down.
        std::vector<size_t> order(figures.pressMs.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return figures.pressMs[a] > figures.pressMs[b]; });
        for (size_t i = 0; i < std::min<size_t>(6, order.size()); ++i)
            std::fprintf(stderr, "press %zu: %.1f ms (queued %.1f)%s\n", order[i] + 1, figures.pressMs[order[i]],
                         figures.queuedMs[order[i]],
                         order[i] < static_cast<size_t>(figures.pressesWhileFilling) ? " while the tree filled" : "");
    }
    figures.textsRead = static_cast<int>(seen.size());
    if (!treeDone) {
        probe.SetPhase("the tree fills");
        if (!WaitFor([&] { return builder->RunsCompleted() >= 1 && builder->IsIdle(); }, patience))
            return fail("the subject tree did not complete");
        figures.treeSeconds = sinceList.nsecsElapsed() / 1e9;
        figures.listedRssMb = static_cast<double>(ResidentKb()) / 1024.0;
    }
    const size_t inTree = reading->SubjectTreeView()->TextsInTreeOrder().size();
    // A text read before the walk got to it is not listed: the tree shows
    // what is unread.
    if (inTree + seen.size() < static_cast<size_t>(unreadAtStart))
        return fail("the subject tree holds " + std::to_string(inTree) + " texts, " + std::to_string(seen.size()) +
                    " were read");
    // Everything the reader let go of is given back before it is counted.
    Idle(200);
    figures.rssMb = static_cast<double>(ResidentKb()) / 1024.0;
    probe.Stop();
    rest.Stop();
    if (!measured) {
        figures.longestGapMs = probe.LongestGapMs();
        figures.gapPhase = probe.LongestPhase();
    } else {
        figures.restGapMs = rest.LongestGapMs();
    }
    figures.stepHandOvers = reading->Reader().MostStepHandOvers();
    app.Disconnect();
    windows.reset();
    return figures;
}

struct MemoryFigures {
    double rssMb = 0;
    double listedRssMb = 0;
    double restGapMs = 0;
    int textsRead = 0;
    char failure[200] = {};
};

// Runs the session that reads every text at 0 ms in a child process with a
// server of its own on dbCopy; its figures come back through a pipe.
MemoryFigures ReadEverythingInAChild(int argc, char** argv, const std::string& dbCopy, const World& world)
{
    MemoryFigures figures;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::snprintf(figures.failure, sizeof figures.failure, "no pipe");
        return figures;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        MemoryFigures out;
        {
            bench::ForkedServer server(dbCopy, 0);
            QApplication app(argc, argv);
            const RunFigures f = server.Port() ? RunSession(server.Port(), 0, world, true) : RunFigures{};
            out.rssMb = f.rssMb;
            out.listedRssMb = f.listedRssMb;
            out.restGapMs = f.restGapMs;
            out.textsRead = f.textsRead;
            std::snprintf(out.failure, sizeof out.failure, "%s",
                          server.Port() ? f.failure.c_str() : "the server did not start");
        }
        (void)!write(pipeFds[1], &out, sizeof out);
        _exit(0);
    }
    close(pipeFds[1]);
    if (child < 0 || read(pipeFds[0], &figures, sizeof figures) != sizeof figures)
        std::snprintf(figures.failure, sizeof figures.failure, "the reading process ended without figures");
    close(pipeFds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec)
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    const std::string db = (dir / ("pellar-keys-bench-" + std::to_string(getpid()) + ".db")).string();
    bench::RemoveDatabase(db);
    // Seeded in a child process: the store's memory would otherwise stay in
    // this one's heap and count in the client's figure.
    World world;
    {
        int seeded[2];
        if (pipe(seeded) != 0)
            return 1;
        const pid_t child = fork();
        if (child == 0) {
            close(seeded[0]);
            const World w = Seed(db);
            (void)!write(seeded[1], &w.big, sizeof w.big);
            _exit(0);
        }
        close(seeded[1]);
        if (child < 0 || read(seeded[0], &world.big, sizeof world.big) != sizeof world.big) {
            std::fprintf(stderr, "the database was not seeded\n");
            return 1;
        }
        close(seeded[0]);
        waitpid(child, nullptr, 0);
    }
    const bool readAll = !qEnvironmentVariableIsSet("PELLAR_BENCH_NO_READ_ALL");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The memory figure comes from a process of its own that reads the whole
    // conference from a copy of the database, before the sessions below:
    // they find it unread, and its figure holds nothing of theirs.
    MemoryFigures memory;
    if (readAll) {
        const std::string copy = db + "-whole";
        for (const char* suffix : {"", "-wal"}) {
            if (std::filesystem::exists(db + suffix, ec))
                std::filesystem::copy_file(db + suffix, copy + suffix, std::filesystem::copy_options::overwrite_existing, ec);
        }
        memory = ReadEverythingInAChild(argc, argv, copy, world);
        bench::RemoveDatabase(copy);
    }
    // The server runs in a child process forked before any thread starts here.
    bench::ForkedServer server(db, 0);
    if (server.Port() == 0) {
        std::fprintf(stderr, "the server did not start\n");
        bench::RemoveDatabase(db);
        return 1;
    }
    QApplication qapp(argc, argv);

    bench::Verdicts verdicts;
    // PELLAR_BENCH_RTTS="0,20" picks the round trips.
    std::vector<int> rtts = {0, 20, 100};
    if (const QByteArray env = qgetenv("PELLAR_BENCH_RTTS"); !env.isEmpty()) {
        rtts.clear();
        for (const QByteArray& part : env.split(','))
            rtts.push_back(part.toInt());
    }
    std::printf("%d texts in %d trees, %d more conferences; Space every %d ms after the article was painted\n",
                kTexts, kRoots, kOtherConferences, kPauseMs);
    if (readAll) {
        if (memory.failure[0] != 0) {
            verdicts.Fail(std::string("reading the whole conference: ") + memory.failure);
        } else {
            std::printf("resident memory once the whole tree is listed: %.1f MB (limit %.0f) %s\n",
                        memory.listedRssMb, kListedRssLimitMb,
                        verdicts.AtMost(memory.listedRssMb, kListedRssLimitMb, "TOO BIG"));
            std::printf("resident memory after reading all %d texts (a process of its own, 0 ms): %.1f MB (limit %.0f) "
                        "%s; longest gap while they were read without pauses: %.1f ms (no limit)\n",
                        memory.textsRead, memory.rssMb, kRssLimitMb,
                        verdicts.AtMost(memory.rssMb, kRssLimitMb, "TOO BIG"), memory.restGapMs);
        }
    }
    std::printf("%-6s %8s %8s %8s %8s %10s %12s  %s\n", "rtt", "presses", "median", "p99", "max", "filling",
                "longest gap", "where");
    for (const int rtt : rtts) {
        const RunFigures f = RunSession(server.Port(), rtt, world, false);
        if (!f.failure.empty()) {
            verdicts.Fail("at " + std::to_string(rtt) + " ms: " + f.failure);
            continue;
        }
        const double p99 = Percentile(f.pressMs, 0.99);
        // The key's figure is held at loopback and at 20 ms; at 100 ms only
        // the event loop's.
        const double median = Percentile(f.pressMs, 0.5);
        const char* medianVerdict = rtt <= 20 ? verdicts.AtMost(median, kMedianLimitMs) : "-";
        const char* keyVerdict = rtt <= 20 ? verdicts.AtMost(p99, kP99LimitMs) : "-";
        std::printf("%4d ms %8zu %6.1f ms %6.1f ms %6.1f ms %10d %9.1f ms  %s; median %s, p99 %s, gap %s\n", rtt,
                    f.pressMs.size(), median, p99, Percentile(f.pressMs, 1.0), f.pressesWhileFilling,
                    f.longestGapMs, f.gapPhase.c_str(), medianVerdict, keyVerdict,
                    verdicts.AtMost(f.longestGapMs, kGapLimitMs, "TOO LONG"));
        std::printf("       parts of a press, median/p99: the key queued %.1f/%.1f ms, the step to the paint %.1f/%.1f ms\n",
                    Percentile(f.queuedMs, 0.5), Percentile(f.queuedMs, 0.99), Percentile(f.stepMs, 0.5),
                    Percentile(f.stepMs, 0.99));
        std::printf("       whole tree %.2f s after the list; %d texts read\n", f.treeSeconds, f.textsRead);
        std::printf("       hand-overs to the GUI thread per step: at most %d (limit %d) %s\n", f.stepHandOvers,
                    kHandOverLimit, verdicts.AtMost(f.stepHandOvers, kHandOverLimit, "TOO MANY"));
    }
    bench::RemoveDatabase(db);
    return verdicts.ExitStatus();
}
