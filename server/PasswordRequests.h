// The requests that hash passwords: create person (5), set password (8)
// and log on (62). Each is checked on the loop, hashed on a worker and
// finished on the loop, so that no session waits for another's hash; a
// link's later requests wait behind its own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
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
    // A throttled attempt is not hashed before this, and asks again when it
    // comes: other attempts may have failed meanwhile.
    std::chrono::steady_clock::time_point notBefore{};
    std::function<std::chrono::steady_clock::time_point(std::chrono::steady_clock::time_point now)> recheck;
    // Hashed ahead of the others: no failure of this pair is on record.
    bool urgent = true;
    // The attempt's place among its address's attempts under way.
    std::shared_ptr<LogonThrottle::Ticket> ticket;
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
    // Puts the throttle's wait and place on an attempt for person; false
    // when the address has too many attempts under way.
    bool Throttle(PasswordJob& job, int32_t person, const Session& s);

    HandlerContext& ctx_;
};

} // namespace miravod
