// SIGTERM, SIGINT and SIGHUP end the program the ordinary way (log off, stop
// the embedded server, close the database) instead of killing it mid-write.
// A handler writes the signal to a pipe that the GUI thread reads. Nothing is
// blocked, so every process Pellar starts (the session bus, the keyring, a
// notification daemon) begins with the default mask and dispositions and
// ends when it is told to.
#pragma once

#include <functional>

class QSocketNotifier;

namespace pellar {

class TerminationSignals {
public:
    // Catches the signals from now on (a signal before QuitOnSignal waits in
    // the pipe) and unblocks them should the parent have left them blocked.
    TerminationSignals();
    // Restores the default dispositions.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Once the application object exists: a signal quits its event loop,
    // through quit when given (which must end the loop without asking).
    void QuitOnSignal(std::function<void()> quit = {});

private:
    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pellar
