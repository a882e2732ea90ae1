// One log-on or log-off notice, handled on its own short-lived thread: the
// session's details are fetched here (waiting for the server) while the
// dispatcher goes on with the next line.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace pellar {

class Client;
class EventPorts;
class GuiThread;

class TLogOnOffThread {
public:
    TLogOnOffThread(Client& client, GuiThread& gui, EventPorts& ports, int32_t person, int32_t session,
                    bool loggedIn);
    ~TLogOnOffThread();  // waits for the run to end
    TLogOnOffThread(const TLogOnOffThread&) = delete;
    TLogOnOffThread& operator=(const TLogOnOffThread&) = delete;

    void Start();
    bool Finished() const { return finished_.load(); }
    // The run itself, on the calling thread.
    void Run();

    // Filled by the run.
    std::string personName, client, account, host, ident, statusText;

private:
    Client& client_;
    GuiThread& gui_;
    EventPorts& ports_;
    const int32_t person_, session_;
    const bool loggedIn_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace pellar
