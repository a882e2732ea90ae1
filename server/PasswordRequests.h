// The requests that hash passwords: create person (5), set password (8)
// and log on (62). Each is checked on the loop, hashed on a worker and
// finished on the loop, so that no session waits for another's hash; a
// link's later requests wait behind its own.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "server/HandlerContext.h"

namespace miravod {

// A password request between its check and its answer.
struct PasswordJob {
    int32_t id = 0;
    int32_t number = 0;
    // For the worker; it touches only what it captured.
    std::function<void()> work;
    // On the loop afterwards: the reply. The state may have changed while
    // the hash ran, so it looks again.
    std::function<std::string(Session&)> finish;
    // A throttled attempt is not hashed before this.
    std::chrono::steady_clock::time_point notBefore{};
};

class PasswordRequests {
public:
    explicit PasswordRequests(HandlerContext& ctx) : ctx_(ctx) {}

    static bool Hashes(int32_t number)
    {
        return number == Number(RequestNumber::CreatePerson) || number == Number(RequestNumber::SetPassword) ||
               number == Number(RequestNumber::Login);
    }
    // A job without work when the answer is known at once.
    PasswordJob Prepare(Session& s, const Request& r);

private:
    PasswordJob CreatePerson(Session& s, const Request& r);
    PasswordJob SetPassword(Session& s, const Request& r);
    PasswordJob Login(Session& s, const Request& r);

    HandlerContext& ctx_;
};

} // namespace miravod
