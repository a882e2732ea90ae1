// Who may open a link: a cap on links in all and from one address, and how
// long accepting pauses after the process ran out of descriptors, so the
// loop waits instead of spinning on a listening socket it cannot serve.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace miravod {

class LinkAdmission {
public:
    using Clock = std::chrono::steady_clock;

    LinkAdmission(size_t maxTotal, size_t maxPerAddress) : maxTotal_(maxTotal), maxPerAddress_(maxPerAddress) {}

    // Counts the link in when it may stay.
    bool Admit(const std::string& address);
    void Left(const std::string& address);
    size_t Total() const { return total_; }

    // Accepting failed for want of descriptors or memory: when to try
    // again. The pause doubles while failures go on.
    Clock::time_point Backoff(Clock::time_point now);
    void Accepted() { backoff_ = Clock::duration::zero(); }

private:
    size_t maxTotal_;
    size_t maxPerAddress_;
    size_t total_ = 0;
    std::unordered_map<std::string, size_t> perAddress_;
    Clock::duration backoff_{};
};

// The default cap on links: what the descriptor limit leaves after the
// database, the loop's own descriptors and some room to spare.
size_t LinkCapFromDescriptorLimit();

} // namespace miravod
