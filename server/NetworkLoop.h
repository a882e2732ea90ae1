// The server's single thread: an epoll loop over the listening socket, every
// client link and a wake-up descriptor, feeding requests to the dispatcher
// and driving the demo companion's timer.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "server/AsyncDelivery.h"
#include "server/Connection.h"
#include "server/Dispatcher.h"
#include "server/Server.h"
#include "server/SessionTable.h"
#include "server/Store.h"

namespace miravod {

class DemoCompanion;

class NetworkLoop {
public:
    explicit NetworkLoop(const ServerOptions& options);
    ~NetworkLoop();
    NetworkLoop(const NetworkLoop&) = delete;
    NetworkLoop& operator=(const NetworkLoop&) = delete;

    // Loads the state, seeds the demo, binds and listens.
    bool Open(std::string* error);
    int Port() const { return port_; }
    void Run();
    // Any thread.
    void RequestStop();

private:
    void Accept();
    void Read(Connection& c);
    void HandleBytes(Connection& c, std::string data);
    void Close(Connection& c);
    void Reply(Connection& c, std::string reply);
    void Watch(Connection& c, uint32_t events);

    ServerOptions options_;
    Store store_;
    SessionTable sessions_;
    AsyncDelivery async_;
    Dispatcher dispatcher_;
    std::unique_ptr<DemoCompanion> companion_;
    std::map<int, std::unique_ptr<Connection>> connections_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    int epollFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
};

} // namespace miravod
