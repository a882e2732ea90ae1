// How long the window stops answering during a scripted session: a probe
// timer on the GUI thread measures the gaps between its ticks while the real
// windows (offscreen) connect, log on, read the next text, open a text by
// number and write a comment, against the reference server in this process
// answering every request after a delay. The longest gap is what a user
// would feel as a freeze; it should stay far below the server's delay.
// A session that does not complete, or a modal dialog nobody expected, fails
// the run (exit status 1) instead of leaving it waiting.
#include "bench/gui/GuiProbe.h"
#include "bench/support/Verdict.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/session/Client.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/QtBlockingWait.h"
#include "gui/shell/UserMessagePresenter.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/writing/WriteTextForm.h"
#include "gui/shell/WaitForm.h"
#include "server/Server.h"
#include "tests/support/UnansweredListener.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

using namespace pellar;
using bench::WaitFor;

namespace {

template <typename T>
T* NewestInFrame(AppController& app)
{
    T* found = nullptr;
    for (QMdiSubWindow* sub : app.MainWindow().MdiArea()->subWindowList())
        if (auto* w = qobject_cast<T*>(sub->widget()))
            found = w;
    return found;
}

// Reads the notes on the door that come up (the demo conference has one, and
// writing to it shows it) and closes them, as a user would. Any other modal
// dialog that is still up after ten seconds is one the script does not know:
// it is closed and remembered, so the run fails instead of hanging.
class ModalAnswerer {
public:
    ModalAnswerer()
    {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] { Look(); });
        poll_.start();
    }
    int NotesRead() const { return notes_; }
    const std::string& Unexpected() const { return unexpected_; }

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* note = qobject_cast<TNoteOnDoorForm*>(modal)) {
            ++notes_;
            note->reject();
            return;
        }
        // The login form and the wait box belong to the script.
        if (!modal || qobject_cast<TLoginForm*>(modal) || qobject_cast<TWaitForm*>(modal)) {
            seen_ = nullptr;
            return;
        }
        if (modal != seen_) {
            seen_ = modal;
            since_.start();
        } else if (since_.elapsed() > 10000) {
            unexpected_ = modal->metaObject()->className();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            seen_ = nullptr;
        }
    }

    QTimer poll_;
    QWidget* seen_ = nullptr;
    QElapsedTimer since_;
    int notes_ = 0;
    std::string unexpected_;
};

struct SessionFigures {
    double longestGapMs = 0;
    int gapsOver100Ms = 0;
    std::string longestPhase;
    int boxes = 0;
    int notes = 0;
    bool completed = false;
    std::string failure;
};

// paintingWaits false: the GUI thread blocks in every wait, as it did before
// it learnt to paint while waiting; the comparison in the same run.
SessionFigures RunScriptedSession(int replyDelayMs, bool paintingWaits)
{
    SessionFigures figures;
    miravod::ServerOptions serverOptions;
    serverOptions.demo = true;
    serverOptions.demoCompanion = false;
    serverOptions.passwordIterations = 1000;
    serverOptions.replyDelayMs = replyDelayMs;
    miravod::Server server(serverOptions);
    if (!server.Start())
        return figures;

    QTemporaryDir state;
    AppController app(bench::RunOptions(state));
    app.Messages().SetShower([](QMessageBox::Icon, const QString&) {});
    if (!paintingWaits)
        app.ClientContext().SetBlockingWait(nullptr);
    // The on-screen pieces; gone before the controller.
    auto windows = std::make_unique<AppWindows>(app);
    app.MainWindow().show();
    const int patience = 60000 + 40 * replyDelayMs;

    bench::LoopProbe probe(5);
    probe.Start();
    ModalAnswerer answerer;
    bool ok = true;

    probe.SetPhase("logon");
    bench::AnswerLogin(server.Port(), QStringLiteral("Demo User"), QStringLiteral("demo"), 10);
    app.MainWindow().Menus()->SessionConnectAction->trigger();
    ok = app.MainWindow().IsOnline();

    TReadArticleForm* reading = windows->Reading();
    if (ok) {
        probe.SetPhase("conference list");
        ok = WaitFor([&] { return reading->BusyCount() == 0; }, patience);
    }
    int32_t first = 0;
    if (ok) {
        probe.SetPhase("read next");
        int shown = 0;
        const auto counting =
            QObject::connect(reading, &TReadArticleForm::TextShown, &app, [&shown](int32_t) { ++shown; });
        reading->ReadNext();
        ok = WaitFor([&] { return shown > 0 && reading->BusyCount() == 0; }, patience);
        QObject::disconnect(counting);
        first = reading->ReadStatus().CurrentText();
        ok = ok && first > 0;
    }
    if (ok) {
        // Another text of the demo data, by number.
        probe.SetPhase("open by number");
        const int32_t other = first > 1 ? first - 1 : first + 1;
        reading->ShowText(other);
        ok = WaitFor([&] { return reading->ReadStatus().CurrentText() == other; }, patience);
    }
    if (ok) {
        probe.SetPhase("write a comment");
        reading->Commands()->WriteComment(false);
        TWriteTextForm* comment = NewestInFrame<TWriteTextForm>(app);
        ok = comment && WaitFor([&] { return !comment->Model().WorkerRunning(); }, patience);
        if (ok) {
            comment->WriteTextEdit()->setPlainText(QStringLiteral("Measured while waiting."));
            int submitted = 0;
            const auto counting = QObject::connect(comment, &TWriteTextForm::Submitted, &app,
                                                   [&submitted](int32_t) { ++submitted; });
            comment->SubmitTextAction->trigger();
            ok = WaitFor([&] { return submitted > 0; }, patience);
            QObject::disconnect(counting);
        }
    }
    const char* stoppedAt = probe.CurrentPhase();
    probe.SetPhase("disconnect");
    app.Disconnect();
    probe.Stop();
    windows.reset();

    figures.notes = answerer.NotesRead();
    figures.completed = ok && answerer.Unexpected().empty();
    if (!answerer.Unexpected().empty())
        figures.failure = "an unexpected " + answerer.Unexpected() + " stayed open";
    else if (!ok)
        figures.failure = std::string("the scripted session stopped at: ") + stoppedAt;
    figures.longestGapMs = probe.LongestGapMs();
    figures.gapsOver100Ms = probe.GapsOver100Ms();
    figures.longestPhase = probe.LongestPhase();
    figures.boxes = app.Waits().BoxesShown();
    return figures;
}

void BM_ScriptedSession(benchmark::State& state)
{
    const int delay = static_cast<int>(state.range(0));
    const bool painting = state.range(1) != 0;
    SessionFigures figures;
    for (auto _ : state) {
        figures = RunScriptedSession(delay, painting);
        if (!figures.completed) {
            state.SkipWithError(figures.failure.c_str());
            return;
        }
    }
    state.counters["longest_gap_ms"] = figures.longestGapMs;
    state.counters["gaps_over_100ms"] = figures.gapsOver100Ms;
    state.counters["wait_boxes"] = figures.boxes;
    state.counters["notes_read"] = figures.notes;
    state.SetLabel(std::string("longest gap in: ") + figures.longestPhase);
}

// PELLAR_BENCH_RUNS overrides the five runs (a quick look needs one).
int Runs()
{
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("PELLAR_BENCH_RUNS", &ok);
    return ok && runs > 0 ? runs : 5;
}

// From the press of Cancel in the wait box to Connect having returned with
// the window offline: against a host that never answers the connect (0) and
// a server that withholds its greeting (1).
void BM_CancelConnect(benchmark::State& state)
{
    const bool greeting = state.range(0) != 0;
    test::UnansweredListener silent;
    std::unique_ptr<miravod::Server> server;
    int port = 0;
    if (greeting) {
        miravod::ServerOptions options;
        options.withholdGreeting = true;
        server = std::make_unique<miravod::Server>(options);
        if (!server->Start()) {
            state.SkipWithError("the server did not start");
            return;
        }
        port = server->Port();
    } else {
        if (!silent.Holds()) {
            state.SkipWithError("skipped: this kernel completes every connection");
            return;
        }
        port = std::stoi(silent.PortText());
    }
    QTemporaryDir dir;
    AppController app(bench::RunOptions(dir));
    app.Messages().SetShower([](QMessageBox::Icon, const QString&) {});
    for (auto _ : state) {
        QElapsedTimer pressed;
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, &pressed] {
            if (auto* box = qobject_cast<TWaitForm*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                pressed.start();
                box->CancelButton()->click();
            }
        });
        poll->start(5);
        bench::AnswerLogin(port, QStringLiteral("Demo User"), QStringLiteral("demo"), 10);
        app.MainWindow().Menus()->SessionConnectAction->trigger();
        if (!pressed.isValid() || app.MainWindow().IsOnline()) {
            state.SkipWithError("no wait box to cancel");
            return;
        }
        state.SetIterationTime(static_cast<double>(pressed.nsecsElapsed()) / 1e9);
    }
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double Max(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

BENCHMARK(BM_CancelConnect)
    ->ArgName("withheld_greeting")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->Repetitions(Runs())
    ->ComputeStatistics("min", Min)
    ->ComputeStatistics("max", Max)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ScriptedSession)
    ->ArgNames({"reply_delay_ms", "painting_waits"})
    ->Args({0, 1})
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Iterations(1)
    ->Repetitions(Runs())
    ->ComputeStatistics("min", Min)
    ->ComputeStatistics("max", Max)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::Verdicts verdicts;
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
