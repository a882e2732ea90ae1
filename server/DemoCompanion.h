// A second, server-side user of the demo system who logs on and, every
// minute or so, writes a comment or sends a message, so that new-text
// alerts, messages and presence show in a demo.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace miravod {

class Store;
class SessionTable;
class Dispatcher;
class AsyncDelivery;
struct Request;

class DemoCompanion {
public:
    using Clock = std::chrono::steady_clock;

    // interval 0: the first post after 20 s, then one every 45 to 75 s.
    DemoCompanion(Store& store, SessionTable& sessions, Dispatcher& dispatcher, AsyncDelivery& async,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(0));
    Clock::time_point NextDue() const { return next_; }
    void Tick();

private:
    uint32_t Random();
    std::string Run(Request& r);
    void PostComment();
    void SendMessage();

    Store& store_;
    SessionTable& sessions_;
    Dispatcher& dispatcher_;
    AsyncDelivery& async_;
    int32_t session_ = 0;
    int32_t person_ = 0;
    int32_t nextId_ = 1;
    uint32_t seed_ = 12345;
    int ticks_ = 0;
    std::chrono::milliseconds interval_;
    Clock::time_point next_;
};

} // namespace miravod
