// An honest client under a broadcast flood: a second session of the reference
// server sends messages to everyone as fast as the server relays them, for a
// few seconds. The client's resident memory is measured beside its idle
// figure in the same run: during the flood it stays within 100 MB of idle,
// and ten seconds after the flood within 20 MB. The program exits non-zero
// when either figure is missed.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "bench/support/BenchServer.h"
#include "core/base/GuiThread.h"
#include "core/events/EventPorts.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/protocol/MVRequests.h"
#include "core/protocol/WireTokens.h"
#include "core/reading/ClientReadingServices.h"
#include "core/session/Client.h"
#include "core/session/Logon.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUser = "Demo User";
constexpr const char* kPassword = "demo";
constexpr auto kFlood = std::chrono::seconds(5);
constexpr auto kAfter = std::chrono::seconds(10);
constexpr double kDuringLimitMb = 100;
constexpr double kAfterLimitMb = 20;

long RssKb()
{
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(4096, '\n');
    }
    return 0;
}

// The messages window as far as memory goes: it keeps the newest 5,000 entries.
struct WindowPorts : pellar::EventPorts {
    std::mutex mutex;
    std::deque<std::string> kept;
    uint64_t shown = 0, notices = 0;
    void Keep(std::string line)
    {
        std::lock_guard l(mutex);
        kept.push_back(std::move(line));
        if (kept.size() > 5000)
            kept.pop_front();
    }
    void DeliverMessage(const pellar::IncomingMessage& m) override
    {
        Keep(m.senderName + ": " + m.text);
        std::lock_guard l(mutex);
        ++shown;
    }
    void MessagesDropped(const std::string& notice) override
    {
        Keep(notice);
        std::lock_guard l(mutex);
        ++notices;
    }
    void AddSession(int32_t, int32_t, const std::string&, const std::string&, const std::string&,
                    const std::string&, const std::string&) override {}
    void RemoveSession(int32_t, int32_t, const std::string&) override {}
    void UpdatePresence(const std::string&, const std::string&, int32_t, const std::string&,
                        const std::string&) override {}
    void ShowTray(pellar::TrayAlert) override {}
    void SetStatusText(const std::string&) override {}
    void BringToFront() override {}
    void Beep() override {}
    void RefreshConferenceList() override {}
};

// A GUI thread that paints between hand-overs: each costs a frame's work.
struct PaintingGuiThread : pellar::GuiThread {
    void invokeAndWait(std::function<void()> fn) override
    {
        if (fn)
            fn();
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
};

int32_t LogOn(pellar::Client& client, int port)
{
    client.ComThread().Connect("127.0.0.1", std::to_string(port));
    if (client.ConnectedEvent().WaitFor(10000) != pellar::WaitResult::Signaled)
        return 0;
    client.SetServerVersionInfo(pellar::ServerVersionInfoRec{10, "miravod", ""});
    pellar::TNumberFromNameTrans lookup(client.Protocol(), kUser, true, false);
    if (!client.Transactions().ExecuteAndWait(lookup) || lookup.Results().empty())
        return 0;
    const int32_t person = lookup.Results().front().number;
    pellar::TLogonTrans logon(client.Protocol(), person, kPassword, false);
    if (!client.Transactions().ExecuteAndWait(logon))
        return 0;
    client.SetCurrentPerson(person);
    return person;
}

// The flooding session, by hand on a raw socket: pipelined messages to
// everyone, replies read and thrown away.
class Flooder {
public:
    Flooder(int port, int32_t person) : fd_(bench::ConnectTo(port))
    {
        if (fd_ < 0)
            return;
        bench::SendAll(fd_, "A" + pellar::EncodeHollerith("flood") + "\n");
        bench::SendAll(fd_, pellar::requests::Login(person, kPassword, false).Line(1));
        reader_ = std::thread([this] {
            char buf[65536];
            while (!stop_ && ::read(fd_, buf, sizeof buf) > 0) {
            }
        });
        writer_ = std::thread([this] {
            int32_t id = 2;
            // Messages of a paragraph's length, as people write them.
            const std::string paragraph(1000, 'w');
            while (!stop_) {
                std::string chunk;
                for (int i = 0; i < 100; ++i, ++id)
                    chunk += pellar::requests::SendMessage(0, std::to_string(id) + paragraph).Line(id);
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
    uint64_t Sent() const { return sent_; }

private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> sent_{0};
    std::thread reader_, writer_;
};

struct Figures {
    double idleMb = 0, peakOverIdleMb = -1, afterOverIdleMb = -1;
    double sent = 0, shown = 0;
};
Figures figures;

void BroadcastFlood(benchmark::State& state)
{
    for (auto _ : state) {
        miravod::ServerOptions options;
        options.demo = true;
        options.demoCompanion = false;
        options.passwordIterations = 1000;
        bench::ForkedServer server(options);
        pellar::Client client(bench::QuietClientOptions());
        const int32_t person = LogOn(client, server.Port());
        if (person <= 0) {
            state.SkipWithError("the honest client did not log on");
            return;
        }
        pellar::AcceptAsyncMessages(client, false);
        pellar::ClientReadingServices reading(client);
        PaintingGuiThread gui;
        WindowPorts ports;
        pellar::TAsyncMsgThread dispatcher(client, gui, ports, reading);
        dispatcher.SetEnabled(true);
        dispatcher.Start();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long idleKb = RssKb();

        long peakKb = idleKb;
        {
            Flooder flooder(server.Port(), person);
            const auto end = Clock::now() + kFlood;
            while (Clock::now() < end) {
                peakKb = std::max(peakKb, RssKb());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            flooder.Stop();
            figures.sent = static_cast<double>(flooder.Sent());
        }
        const auto end = Clock::now() + kAfter;
        while (Clock::now() < end) {
            peakKb = std::max(peakKb, RssKb());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        figures.idleMb = idleKb / 1024.0;
        figures.peakOverIdleMb = (peakKb - idleKb) / 1024.0;
        figures.afterOverIdleMb = (RssKb() - idleKb) / 1024.0;
        {
            std::lock_guard l(ports.mutex);
            figures.shown = static_cast<double>(ports.shown);
        }
        dispatcher.Stop();
    }
    state.counters["idle_MB"] = figures.idleMb;
    state.counters["peak_over_idle_MB"] = figures.peakOverIdleMb;
    state.counters["after_10s_over_idle_MB"] = figures.afterOverIdleMb;
    state.counters["messages_sent"] = figures.sent;
    state.counters["messages_shown"] = figures.shown;
}

BENCHMARK(BroadcastFlood)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const bool during = figures.peakOverIdleMb >= 0 && figures.peakOverIdleMb <= kDuringLimitMb;
    const bool after = figures.afterOverIdleMb >= 0 && figures.afterOverIdleMb <= kAfterLimitMb;
    std::printf("broadcast flood: idle %.1f MB, peak %+.1f MB (limit %.0f), 10 s after %+.1f MB (limit %.0f); "
                "%.0f sent, %.0f shown\n",
                figures.idleMb, figures.peakOverIdleMb, kDuringLimitMb, figures.afterOverIdleMb, kAfterLimitMb,
                figures.sent, figures.shown);
    if (!during || !after) {
        std::printf("MISSED: %s\n", !during ? "memory during the flood" : "memory after the flood");
        return 1;
    }
    return 0;
}
