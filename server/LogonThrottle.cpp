#include "server/LogonThrottle.h"

#include <algorithm>

namespace miravod {

namespace {
// Enough addresses for any honest load; past it the quiet ones go.
constexpr size_t kMaxEntries = 10000;
// Distinct sources remembered per person (and persons per address): more
// only keeps the delay at its cap.
constexpr size_t kMaxSpread = 64;
} // namespace

void LogonThrottle::Ticket::Release()
{
    if (!owner_) return;
    auto it = owner_->addresses_.find(address_);
    if (it != owner_->addresses_.end() && it->second.underWay > 0) --it->second.underWay;
    owner_ = nullptr;
}

std::chrono::milliseconds LogonThrottle::Delay(int count, int free, std::chrono::milliseconds max) const
{
    if (count < free) return std::chrono::milliseconds(0);
    const int doublings = std::min(count - free, 30);
    return std::min<std::chrono::milliseconds>(cfg_.firstDelay * (int64_t{1} << doublings), max);
}

std::unique_ptr<LogonThrottle::Ticket> LogonThrottle::Begin(const std::string& address, Clock::time_point now)
{
    Prune(now);
    Spread& a = addresses_[address];
    if (a.underWay >= cfg_.maxAttemptsPerAddress) return nullptr;
    ++a.underWay;
    return std::make_unique<Ticket>(*this, address);
}

int LogonThrottle::UnderWay(const std::string& address) const
{
    auto it = addresses_.find(address);
    return it == addresses_.end() ? 0 : it->second.underWay;
}

bool LogonThrottle::Suspect(int32_t person, const std::string& address, Clock::time_point now)
{
    auto it = pairs_.find(PairKey(person, address));
    return it != pairs_.end() && it->second.failures > 0 && !Quiet(it->second.lastFailure, now);
}

LogonThrottle::Clock::time_point LogonThrottle::NotBefore(int32_t person, const std::string& address,
                                                          Clock::time_point now)
{
    Clock::time_point due = now;
    if (auto a = addresses_.find(address); a != addresses_.end() && !Quiet(a->second.lastFailure, now)) {
        const int spread = static_cast<int>(a->second.others.size());
        due = std::max(due, a->second.lastFailure + Delay(spread, cfg_.freeSpread, cfg_.maxDelayPerAddress));
    }
    auto pair = pairs_.find(PairKey(person, address));
    if (pair == pairs_.end() || pair->second.failures == 0 || Quiet(pair->second.lastFailure, now)) return due;
    due = std::max(due, pair->second.lastFailure +
                            Delay(pair->second.failures, cfg_.freeFailures, cfg_.maxDelayPerSource));
    // The person's own delay reaches only sources that have failed for them.
    if (auto p = persons_.find(person); p != persons_.end() && !Quiet(p->second.lastFailure, now)) {
        const int spread = static_cast<int>(p->second.others.size());
        due = std::max(due, p->second.lastFailure + Delay(spread, cfg_.freeSpread, cfg_.maxDelayPerPerson));
    }
    return due;
}

void LogonThrottle::Failed(int32_t person, const std::string& address, Clock::time_point now)
{
    Pair& pair = pairs_[PairKey(person, address)];
    if (pair.failures > 0 && Quiet(pair.lastFailure, now)) pair = Pair{};
    pair.failures++;
    pair.lastFailure = now;
    Spread& p = persons_[person];
    if (Quiet(p.lastFailure, now)) p.others.clear();
    if (p.others.size() < kMaxSpread) p.others.insert(address);
    p.lastFailure = now;
    Spread& a = addresses_[address];
    if (Quiet(a.lastFailure, now)) a.others.clear();
    if (a.others.size() < kMaxSpread) a.others.insert(std::to_string(person));
    a.lastFailure = now;
}

void LogonThrottle::Succeeded(int32_t person, const std::string& address)
{
    pairs_.erase(PairKey(person, address));
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
    if (pairs_.size() > kMaxEntries) std::erase_if(pairs_, [&](const auto& kv) { return Quiet(kv.second.lastFailure, now); });
    if (persons_.size() > kMaxEntries) std::erase_if(persons_, [&](const auto& kv) { return Quiet(kv.second.lastFailure, now); });
    if (addresses_.size() > kMaxEntries) {
        std::erase_if(addresses_, [&](const auto& kv) {
            return kv.second.underWay == 0 && Quiet(kv.second.lastFailure, now);
        });
    }
    if (accounts_.size() > kMaxEntries) {
        std::erase_if(accounts_, [&](const auto& kv) { return now - kv.second.refilled > cfg_.forgetAfter; });
    }
}

} // namespace miravod
