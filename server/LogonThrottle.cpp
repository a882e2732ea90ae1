#include "server/LogonThrottle.h"

#include <algorithm>

namespace miravod {

namespace {
// Enough addresses for any honest load; past it the quiet ones go.
constexpr size_t kMaxEntries = 10000;
}

LogonThrottle::Entry& LogonThrottle::Get(std::unordered_map<std::string, Entry>& map, const std::string& key,
                                         Clock::time_point now)
{
    Entry& e = map[key];
    if (e.failures > 0 && now - e.lastFailure > cfg_.forgetAfter) e = Entry{};
    return e;
}

LogonThrottle::Clock::time_point LogonThrottle::Slot(Entry& e, std::chrono::milliseconds maxDelay,
                                                     Clock::time_point now)
{
    if (e.failures < cfg_.freeFailures) return now;
    const int doublings = std::min(e.failures - cfg_.freeFailures, 30);
    const auto delay = std::min<std::chrono::milliseconds>(cfg_.firstDelay * (int64_t{1} << doublings), maxDelay);
    const auto slot = std::max(now, e.next);
    e.next = slot + delay;
    return slot + delay;
}

LogonThrottle::Clock::time_point LogonThrottle::Reserve(int32_t person, const std::string& address,
                                                        Clock::time_point now)
{
    Prune(now);
    const auto a = Slot(Get(persons_, std::to_string(person), now), cfg_.maxDelayPerPerson, now);
    const auto b = Slot(Get(addresses_, address, now), cfg_.maxDelayPerAddress, now);
    return std::max(a, b);
}

void LogonThrottle::Failed(int32_t person, const std::string& address, Clock::time_point now)
{
    for (Entry* e : {&Get(persons_, std::to_string(person), now), &Get(addresses_, address, now)}) {
        e->failures++;
        e->lastFailure = now;
    }
}

void LogonThrottle::Succeeded(int32_t person)
{
    persons_.erase(std::to_string(person));
}

bool LogonThrottle::AllowAccount(const std::string& address, Clock::time_point now)
{
    Prune(now);
    auto [it, fresh] = accounts_.try_emplace(address);
    Ration& r = it->second;
    if (fresh) {
        r.tokens = cfg_.accountBurst;
    } else if (cfg_.accountInterval.count() > 0) {
        const double earned = std::chrono::duration<double>(now - r.refilled) / cfg_.accountInterval;
        r.tokens = std::min<double>(cfg_.accountBurst, r.tokens + earned);
    }
    r.refilled = now;
    if (r.tokens < 1) return false;
    r.tokens -= 1;
    return true;
}

void LogonThrottle::Prune(Clock::time_point now)
{
    auto quiet = [&](const auto& kv) { return now - kv.second.lastFailure > cfg_.forgetAfter && now >= kv.second.next; };
    if (persons_.size() > kMaxEntries) std::erase_if(persons_, quiet);
    if (addresses_.size() > kMaxEntries) std::erase_if(addresses_, quiet);
    if (accounts_.size() > kMaxEntries) {
        std::erase_if(accounts_, [&](const auto& kv) { return now - kv.second.refilled > cfg_.forgetAfter; });
    }
}

} // namespace miravod
