#include "gui/shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>

namespace pellar {

namespace {

sigset_t TerminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    const sigset_t set = TerminationSet();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0)
        fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

TerminationSignals::~TerminationSignals()
{
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void TerminationSignals::QuitOnSignal()
{
    if (fd_ < 0 || notifier_)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [fd = fd_] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        QCoreApplication::quit();
    });
}

} // namespace pellar
