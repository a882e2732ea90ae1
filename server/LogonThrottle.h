// How fast passwords may be tried and accounts made. The source that fails
// is slowed, not the person it guesses at:
// - one address failing for one person: after a few free failures each
//   further attempt of that pair waits a growing while after its last
//   failure before it is even hashed;
// - a person failed for from several addresses: attempts for that person
//   from those addresses (never from an address that has not failed for
//   them) wait after the person's last failure;
// - an address that fails for several persons: every attempt from it waits.
// Waits follow the last failure; nothing is reserved ahead, so parallel
// links gain nothing and the wait ends when the guessing stops. An address
// has a few attempts under way at most; more are refused at once. A right
// password from a pair that has not failed is hashed ahead of the others.
// Anonymous account creation is rationed per address. Forgotten after a
// quiet spell.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace miravod {

struct ThrottleConfig {
    int freeFailures = 5; // per address and person before any delay
    std::chrono::milliseconds firstDelay{250};
    std::chrono::milliseconds maxDelayPerSource{30000};
    // Distinct addresses failing for a person, or persons failed for from
    // an address, before those delays start.
    int freeSpread = 3;
    std::chrono::milliseconds maxDelayPerPerson{5000};
    std::chrono::milliseconds maxDelayPerAddress{30000};
    // Attempts from one address waiting or being hashed at once.
    int maxAttemptsPerAddress = 4;
    std::chrono::milliseconds forgetAfter{15 * 60 * 1000};
    // Anonymous accounts: this many at once from one address, then one per
    // accountInterval.
    int accountBurst = 20;
    std::chrono::milliseconds accountInterval{30000};
};

class LogonThrottle {
public:
    using Clock = std::chrono::steady_clock;

    // An attempt's place among its address's attempts under way; the place
    // is given back when the ticket goes or is released.
    class Ticket {
    public:
        Ticket(LogonThrottle& owner, std::string address) : owner_(&owner), address_(std::move(address)) {}
        ~Ticket() { Release(); }
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        void Release();

    private:
        LogonThrottle* owner_;
        std::string address_;
    };

    explicit LogonThrottle(ThrottleConfig cfg) : cfg_(cfg) {}

    // A place for an attempt from address; null when it has too many under
    // way already.
    std::unique_ptr<Ticket> Begin(const std::string& address, Clock::time_point now);
    // When an attempt for person from address may be hashed.
    Clock::time_point NotBefore(int32_t person, const std::string& address, Clock::time_point now);
    // Whether this pair failed before (its hash then waits behind others').
    bool Suspect(int32_t person, const std::string& address, Clock::time_point now);
    void Failed(int32_t person, const std::string& address, Clock::time_point now);
    // The pair's failures are cleared; the person's and the address's spread
    // stays, or one good logon would clear the way for guessing at others.
    void Succeeded(int32_t person, const std::string& address);
    // Takes one account from the address's ration; false when none is left.
    bool AllowAccount(const std::string& address, Clock::time_point now);

    int UnderWay(const std::string& address) const;

private:
    struct Pair {
        int failures = 0;
        Clock::time_point lastFailure{};
    };
    // Failures of a person from distinct addresses, or of an address for
    // distinct persons.
    struct Spread {
        std::set<std::string> others;
        Clock::time_point lastFailure{};
        int underWay = 0; // addresses only: attempts holding a ticket
    };
    struct Ration {
        double tokens = 0;
        Clock::time_point refilled{};
    };

    std::chrono::milliseconds Delay(int count, int free, std::chrono::milliseconds max) const;
    bool Quiet(Clock::time_point lastFailure, Clock::time_point now) const
    {
        return now - lastFailure > cfg_.forgetAfter;
    }
    static std::string PairKey(int32_t person, const std::string& address)
    {
        return std::to_string(person) + ' ' + address;
    }
    void Prune(Clock::time_point now);

    ThrottleConfig cfg_;
    std::unordered_map<std::string, Pair> pairs_;
    std::unordered_map<int32_t, Spread> persons_;
    std::unordered_map<std::string, Spread> addresses_;
    std::unordered_map<std::string, Ration> accounts_;
};

} // namespace miravod
