// The connected sessions: who is logged on where, what they do, which
// asynchronous messages they accepted, and where their bytes go.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "server/Model.h"
#include "server/TokenBucket.h"

namespace miravod {

struct Session {
    int32_t number = 0;
    int32_t person = 0; // 0 = not logged on
    int32_t workingConf = 0;
    std::string activity;
    std::string clientName, clientVersion;
    std::string userName, host, ident = "unknown";
    TDateTime connected = 0;
    std::chrono::steady_clock::time_point lastActive = std::chrono::steady_clock::now();
    bool invisible = false;
    bool adminEnabled = false;
    std::set<int32_t> acceptedAsync;
    // Messages sent: to persons and conferences, and to everyone.
    TokenBucket messages, broadcasts;
    // Where asynchronous messages for this session go; empty for the
    // server's own sessions.
    std::function<void(const std::string&)> sink;

    int32_t IdleSeconds() const;
    bool Accepts(AsyncNumber type) const { return acceptedAsync.count(Number(type)) != 0; }
};

class SessionTable {
public:
    Session& Create(TDateTime now);
    void Remove(int32_t number);
    Session* Find(int32_t number);
    // In session-number order.
    std::vector<Session*> All();

private:
    std::map<int32_t, std::unique_ptr<Session>> sessions_;
    int32_t next_ = 1;
};

} // namespace miravod
