// What the benchmarks of the real windows share: a probe of the GUI event
// loop's pauses, waits that keep the loop running, the login dialog answered
// as a user would, and the process's resident memory.
#pragma once

#include "core/config/MemoryRegistryBackend.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

namespace bench {

// Ticks as often as the event loop lets it; remembers the longest pause and
// the step it fell in (the step of the tick before it and the one running now).
class LoopProbe {
public:
    explicit LoopProbe(int intervalMs = 2)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start()
    {
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    void SetPhase(const char* phase)
    {
        phase_ = phase;
        if (qEnvironmentVariableIsSet("PELLAR_BENCH_VERBOSE"))
            std::fprintf(stderr, "%.3f s: %s\n", static_cast<double>(clock_.nsecsElapsed()) / 1e9, phase);
    }
    const char* CurrentPhase() const { return phase_; }
    double LongestGapMs() const { return static_cast<double>(longest_) / 1e6; }
    const std::string& LongestPhase() const { return longestPhase_; }
    int GapsOver100Ms() const { return over100_; }

private:
    void Tick()
    {
        const qint64 now = clock_.nsecsElapsed();
        const qint64 gap = now - last_;
        last_ = now;
        std::string phase = lastPhase_;
        if (lastPhase_ != phase_)
            phase = phase + " .. " + phase_;
        lastPhase_ = phase_;
        if (gap > longest_) {
            longest_ = gap;
            longestPhase_ = phase;
        }
        over100_ += gap > 100'000'000 ? 1 : 0;
        // Where the window froze, for whoever hunts it down.
        if (gap > 50'000'000 && qEnvironmentVariableIsSet("PELLAR_BENCH_VERBOSE"))
            std::fprintf(stderr, "gap of %lld ms in %s\n", static_cast<long long>(gap / 1000000), phase.c_str());
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int over100_ = 0;
    const char* phase_ = "start";
    const char* lastPhase_ = "start";
    std::string longestPhase_;
};

// Runs the event loop until pred holds; false after timeoutMs.
template <typename Pred>
bool WaitFor(Pred pred, int timeoutMs, int sliceMs = 2)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, sliceMs);
    }
    return true;
}

// Runs the event loop for ms.
inline void Idle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 1);
}

// Fills in and accepts the login dialog once it is up.
inline void AnswerLogin(int port, const QString& user, const QString& password, int pollMs = 5)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, port, user, password] {
        if (auto* login = qobject_cast<pellar::TLoginForm*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->PortEdit()->setText(QString::number(port));
            login->UserEdit()->setText(user);
            login->PwdEdit()->setText(password);
            login->OkButton()->click();
        }
    });
    poll->start(pollMs);
}

// The program's options for a run: settings in memory, and the state and data
// folders (the kept messages log, drafts) in the run's own folder.
inline pellar::AppOptions RunOptions(const QTemporaryDir& state)
{
    pellar::AppOptions options;
    options.settings = std::make_shared<pellar::MemoryRegistryBackend>();
    options.stateDir = std::filesystem::path(state.path().toStdString());
    options.dataDir = options.stateDir / "data";
    options.diagnosticLogs = false;
    return options;
}

inline long ResidentKb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace bench
