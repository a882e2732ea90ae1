// The termination signals: they quit the event loop, and the processes the
// program starts (from the GUI thread, from a worker thread, through
// QProcess) begin with none of them blocked or ignored, so that they end
// when they are told to.
#include "gui/shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdint>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The child reads its own status: the shell, between forks, may block all.
const char* const kShowMasks = "exec grep -E '^Sig(Blk|Ign):' /proc/self/status";

// The child's /proc status lines, started with posix_spawn (what GLib and
// the D-Bus launcher use) and its output read through a pipe.
std::string SpawnAndRead()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const char* argv[] = {"/bin/sh", "-c", kShowMasks, nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    char buf[512];
    ssize_t n;
    while (rc == 0 && (n = ::read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    if (rc == 0)
        ::waitpid(pid, nullptr, 0);
    return out;
}

// The hexadecimal mask on the line that starts with name ("SigBlk:").
uint64_t MaskOf(const std::string& status, const std::string& name)
{
    const size_t at = status.find(name);
    if (at == std::string::npos)
        return ~uint64_t{0};
    return std::stoull(status.substr(at + name.size()), nullptr, 16);
}

uint64_t TerminationBits()
{
    return (uint64_t{1} << (SIGHUP - 1)) | (uint64_t{1} << (SIGINT - 1)) | (uint64_t{1} << (SIGTERM - 1));
}

} // namespace

class TerminationSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void childrenStartWithTheDefaultMask()
    {
        pellar::TerminationSignals termination;
        termination.QuitOnSignal();

        const std::string fromGuiThread = SpawnAndRead();
        std::string fromWorker;  // written by the worker, read after the join
        std::thread worker([&fromWorker] { fromWorker = SpawnAndRead(); });
        worker.join();
        QProcess process;
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(kShowMasks)});
        QVERIFY(process.waitForFinished(10000));
        const std::string fromQProcess = process.readAllStandardOutput().toStdString();

        const std::string* const all[] = {&fromGuiThread, &fromWorker, &fromQProcess};
        for (const std::string* status : all) {
            QVERIFY2(status->find("SigBlk:") != std::string::npos, status->c_str());
            QVERIFY2((MaskOf(*status, "SigBlk:") & TerminationBits()) == 0, status->c_str());
            QVERIFY2((MaskOf(*status, "SigIgn:") & TerminationBits()) == 0, status->c_str());
        }
    }

    void aSignalQuitsTheEventLoopEvenWhenItCameBeforeTheLoop()
    {
        pellar::TerminationSignals termination;
        // Sent before anyone listens: it waits until the loop runs.
        ::kill(::getpid(), SIGTERM);
        termination.QuitOnSignal();
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
            timedOut = true;
            QCoreApplication::quit();
        });
        guard.start(10000);
        QCoreApplication::exec();
        QVERIFY(!timedOut);

        // And one that comes while the loop runs.
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGINT); });
        guard.start(10000);
        QCoreApplication::exec();
        QVERIFY(!timedOut);
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "TerminationSignals_test.moc"
