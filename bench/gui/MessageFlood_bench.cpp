// An honest user's windows under a broadcast flood: the real windows
// (offscreen) log on to a miravod in a child process that relays without a
// rate, and a second session of the same person sends messages to everyone
// as fast as the server takes them, for a minute (PELLAR_FLOOD_SECONDS).
// Measured in the same run beside the process's idle figure:
//   - resident memory during the flood (≤ idle + 100 MB) and ten seconds
//     after it (≤ idle + 20 MB),
//   - the longest pause of the GUI event loop from the flood's start to the
//     end of those ten seconds (≤ 50 ms),
//   - that the messages window shows messages and keeps no more entries than
//     its bound.
// The server and the flooding session stand for other machines: they run at a
// lower priority, so that sharing this machine's cores with them does not count
// as the windows' own pause.
// A session that does not log on or a figure past its limit fails the run.
#include "bench/gui/GuiProbe.h"
#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/WireTokens.h"
#include "core/session/Client.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/UserMessagePresenter.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTextDocument>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

using namespace pellar;

namespace {

constexpr double kDuringLimitMb = 100;
constexpr double kAfterLimitMb = 20;
constexpr double kGapLimitMs = 50;
constexpr int kAfterSeconds = 10;
// The messages window's bound on a fresh profile (it trims an eighth at a time).
constexpr int kKeptBlocks = 5000;
// The scheduling priority of what stands for other machines.
constexpr int kOtherMachine = 10;

int FloodSeconds()
{
    const int s = qEnvironmentVariableIntValue("PELLAR_FLOOD_SECONDS");
    return s > 0 ? s : 60;
}

// The flooding session, by hand on a raw socket: pipelined messages of a
// paragraph's length to everyone, replies read and thrown away.
class Flooder {
public:
    Flooder(int port, int32_t person, const std::string& password) : fd_(bench::ConnectTo(port))
    {
        if (fd_ < 0)
            return;
        bench::SendAll(fd_, "A" + EncodeHollerith("flood") + "\n");
        bench::SendAll(fd_, requests::Login(person, password, false).Line(1));
        reader_ = std::thread([this] {
            (void)!setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kOtherMachine);
            char buf[65536];
            while (!stop_ && ::read(fd_, buf, sizeof buf) > 0) {
            }
        });
        writer_ = std::thread([this] {
            (void)!setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kOtherMachine);
            int32_t id = 2;
            const std::string paragraph(1000, 'w');
            while (!stop_) {
                std::string chunk;
                for (int i = 0; i < 100; ++i, ++id)
                    chunk += requests::SendMessage(0, std::to_string(id) + paragraph).Line(id);
                if (!bench::SendAll(fd_, chunk))
                    break;
                sent_ += 100;
            }
        });
    }
    ~Flooder() { Stop(); }
    void Stop()
    {
        stop_ = true;
        if (writer_.joinable())
            writer_.join();
        if (fd_ >= 0)
            ::shutdown(fd_, SHUT_RDWR);
        if (reader_.joinable())
            reader_.join();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool Connected() const { return fd_ >= 0; }
    uint64_t Sent() const { return sent_; }

private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> sent_{0};
    std::thread reader_, writer_;
};

struct Figures {
    double idleMb = 0, peakOverIdleMb = 0, afterOverIdleMb = 0;
    double longestGapMs = 0;
    std::string gapPhase;
    double sent = 0;
    int blocks = 0;
    std::string failure;
};

Figures Run(int port)
{
    Figures figures;
    QTemporaryDir state;
    AppController app(bench::RunOptions(state));
    app.Messages().SetShower([](QMessageBox::Icon, const QString&) {});
    auto windows = std::make_unique<AppWindows>(app);
    app.MainWindow().resize(1100, 800);
    app.MainWindow().show();

    bench::AnswerLogin(port, QStringLiteral("Demo User"), QStringLiteral("demo"));
    app.MainWindow().Menus()->SessionConnectAction->trigger();
    if (!app.MainWindow().IsOnline()) {
        figures.failure = "the logon did not complete";
        return figures;
    }
    TReadArticleForm* reading = windows->Reading();
    bench::WaitFor([&] { return reading->BusyCount() == 0; }, 30000);
    bench::Idle(2000);
    const long idleKb = bench::ResidentKb();
    long peakKb = idleKb;

    bench::LoopProbe probe;
    probe.Start();
    probe.SetPhase("flood");
    QElapsedTimer clock;
    clock.start();
    {
        Flooder flooder(port, app.ClientContext().CurrentPerson(), "demo");
        if (!flooder.Connected()) {
            figures.failure = "the flooding session did not connect";
            return figures;
        }
        while (clock.elapsed() < FloodSeconds() * 1000LL) {
            bench::Idle(50);
            peakKb = std::max(peakKb, bench::ResidentKb());
        }
        flooder.Stop();
        figures.sent = static_cast<double>(flooder.Sent());
    }
    probe.SetPhase("after the flood");
    clock.restart();
    while (clock.elapsed() < kAfterSeconds * 1000LL) {
        bench::Idle(50);
        peakKb = std::max(peakKb, bench::ResidentKb());
    }
    probe.Stop();
    figures.idleMb = static_cast<double>(idleKb) / 1024.0;
    figures.peakOverIdleMb = static_cast<double>(peakKb - idleKb) / 1024.0;
    figures.afterOverIdleMb = static_cast<double>(bench::ResidentKb() - idleKb) / 1024.0;
    figures.longestGapMs = probe.LongestGapMs();
    figures.gapPhase = probe.LongestPhase();
    figures.blocks = windows->Events().MainMessages()->IncomingEdit()->document()->blockCount();
    app.Disconnect();
    windows.reset();
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::signal(SIGPIPE, SIG_IGN);
    miravod::ServerOptions options;
    options.demo = true;
    options.demoCompanion = false;
    options.passwordIterations = 1000;
    // A server that relays as fast as it can: the client's own bounds are measured.
    options.messageRate = {0, 0};
    options.broadcastRate = {0, 0};
    bench::ForkedServer server(options, kOtherMachine);
    bench::Verdicts verdicts;
    if (server.Port() == 0) {
        verdicts.Fail("the server did not start");
        return verdicts.ExitStatus();
    }
    QApplication qapp(argc, argv);
    const Figures f = Run(server.Port());
    if (!f.failure.empty()) {
        verdicts.Fail(f.failure);
        return verdicts.ExitStatus();
    }
    std::printf("broadcast flood of %d s to the windows: %.0f messages sent, the window keeps %d entries (%s)\n",
                FloodSeconds(), f.sent, f.blocks, verdicts.Check(f.blocks > 1 && f.blocks <= kKeptBlocks + kKeptBlocks / 8));
    std::printf("memory: idle %.1f MB; during the flood %+.1f MB (limit +%.0f: %s); %d s after %+.1f MB "
                "(limit +%.0f: %s)\n",
                f.idleMb, f.peakOverIdleMb, kDuringLimitMb, verdicts.AtMost(f.peakOverIdleMb, kDuringLimitMb, "TOO MUCH"),
                kAfterSeconds, f.afterOverIdleMb, kAfterLimitMb,
                verdicts.AtMost(f.afterOverIdleMb, kAfterLimitMb, "TOO MUCH"));
    std::printf("longest pause of the event loop %.1f ms in %s (limit %.0f: %s)\n", f.longestGapMs,
                f.gapPhase.c_str(), kGapLimitMs, verdicts.AtMost(f.longestGapMs, kGapLimitMs));
    return verdicts.ExitStatus();
}
