// SIGTERM, SIGINT and SIGHUP end the program the ordinary way (log off, stop
// the embedded server, close the database) instead of killing it mid-write.
// The signals are blocked and read from a descriptor on the GUI thread.
#pragma once

class QSocketNotifier;

namespace pellar {

class TerminationSignals {
public:
    // Blocks the signals for this thread and every thread started later.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Once the application object exists: a signal quits its event loop.
    void QuitOnSignal();

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pellar
