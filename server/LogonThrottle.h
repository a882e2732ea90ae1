// How fast passwords may be tried and accounts made. Failed logons make
// the next attempt for the same person, and from the same address, wait a
// growing while before it is even hashed; anonymous account creation is
// rationed per address. Forgotten after a quiet spell.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace miravod {

struct ThrottleConfig {
    int freeFailures = 5; // per person and per address before any delay
    std::chrono::milliseconds firstDelay{250};
    std::chrono::milliseconds maxDelayPerPerson{5000};
    std::chrono::milliseconds maxDelayPerAddress{30000};
    std::chrono::milliseconds forgetAfter{15 * 60 * 1000};
    // Anonymous accounts: this many at once from one address, then one per
    // accountInterval.
    int accountBurst = 20;
    std::chrono::milliseconds accountInterval{30000};
};

class LogonThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit LogonThrottle(ThrottleConfig cfg) : cfg_(cfg) {}

    // When an attempt for `person` from `address` may be hashed; attempts
    // under a penalty take turns, each one delay after the last.
    Clock::time_point Reserve(int32_t person, const std::string& address, Clock::time_point now);
    void Failed(int32_t person, const std::string& address, Clock::time_point now);
    // The person's count is cleared; the address keeps its own, or one good
    // account would clear the way for guessing at others.
    void Succeeded(int32_t person);
    // Takes one account from the address's ration; false when none is left.
    bool AllowAccount(const std::string& address, Clock::time_point now);

private:
    struct Entry {
        int failures = 0;
        Clock::time_point next{};        // the earliest slot for the next attempt
        Clock::time_point lastFailure{};
    };
    struct Ration {
        double tokens = 0;
        Clock::time_point refilled{};
    };

    Entry& Get(std::unordered_map<std::string, Entry>& map, const std::string& key, Clock::time_point now);
    Clock::time_point Slot(Entry& e, std::chrono::milliseconds maxDelay, Clock::time_point now);
    void Prune(Clock::time_point now);

    ThrottleConfig cfg_;
    std::unordered_map<std::string, Entry> persons_;
    std::unordered_map<std::string, Entry> addresses_;
    std::unordered_map<std::string, Ration> accounts_;
};

} // namespace miravod
