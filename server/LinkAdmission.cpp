#include "server/LinkAdmission.h"

#include <sys/resource.h>

#include <algorithm>

namespace miravod {

namespace {
constexpr auto kFirstBackoff = std::chrono::milliseconds(50);
constexpr auto kLongestBackoff = std::chrono::milliseconds(1000);
constexpr size_t kSpareDescriptors = 64;
} // namespace

bool LinkAdmission::Admit(const std::string& address)
{
    if (total_ >= maxTotal_) return false;
    size_t& n = perAddress_[address];
    if (n >= maxPerAddress_) return false;
    ++n;
    ++total_;
    return true;
}

void LinkAdmission::Left(const std::string& address)
{
    auto it = perAddress_.find(address);
    if (it == perAddress_.end()) return;
    if (--it->second == 0) perAddress_.erase(it);
    --total_;
}

LinkAdmission::Clock::time_point LinkAdmission::Backoff(Clock::time_point now)
{
    backoff_ = backoff_ == Clock::duration::zero() ? Clock::duration(kFirstBackoff)
                                                   : std::min<Clock::duration>(backoff_ * 2, kLongestBackoff);
    return now + backoff_;
}

size_t LinkCapFromDescriptorLimit()
{
    rlimit r{};
    if (getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return 100000;
    const auto limit = static_cast<size_t>(r.rlim_cur);
    return std::clamp<size_t>(limit > kSpareDescriptors * 2 ? limit - kSpareDescriptors : limit / 2, 1, 100000);
}

} // namespace miravod
