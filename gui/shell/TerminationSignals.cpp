#include "gui/shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace pellar {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler can reach nothing but this: the write end of the pipe of the
// one TerminationSignals that main declares.
std::atomic<int> signalPipe{-1};

extern "C" void OnTerminationSignal(int signo)
{
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signo);
        // A full pipe already holds a quit; nothing is lost by failing.
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    signalPipe.store(writeFd_);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t set;
    sigemptyset(&set);
    for (const int signo : kSignals) {
        sigaction(signo, &action, nullptr);
        sigaddset(&set, signo);
    }
    // Children inherit the mask; whoever started us may have blocked these.
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    if (writeFd_ >= 0) {
        for (const int signo : kSignals)
            sigaction(signo, &action, nullptr);
    }
    signalPipe.store(-1);
    delete notifier_;
    if (readFd_ >= 0)
        ::close(readFd_);
    if (writeFd_ >= 0)
        ::close(writeFd_);
}

void TerminationSignals::QuitOnSignal(std::function<void()> quit)
{
    if (readFd_ < 0 || notifier_)
        return;
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [fd = readFd_, quit = std::move(quit)] {
        unsigned char bytes[64];
        while (::read(fd, bytes, sizeof bytes) > 0) {
        }
        if (quit)
            quit();
        else
            QCoreApplication::quit();
    });
}

} // namespace pellar
