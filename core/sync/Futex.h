// Waiting on a 32-bit atomic word without a mutex: the kernel's futex, with a
// time-out (which std::atomic::wait lacks). The events and the completion
// counter of the protocol core are built on it so that a wake costs one
// system call and the woken thread never blocks again on a lock the waker
// still holds.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <ctime>

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pellar {

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free);

inline int32_t* FutexAddress(std::atomic<int32_t>& word)
{
    return reinterpret_cast<int32_t*>(&word);
}

// Sleeps while word holds expected, at most until deadline (none: no limit).
// Returns on a wake, a change of the word, a signal or the deadline; the
// caller re-checks its condition.
inline void FutexWaitUntil(std::atomic<int32_t>& word, int32_t expected,
                           const std::chrono::steady_clock::time_point* deadline)
{
    timespec ts{};
    timespec* timeout = nullptr;
    if (deadline) {
        const auto left = *deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        ts.tv_sec = static_cast<time_t>(ns / 1000000000);
        ts.tv_nsec = static_cast<long>(ns % 1000000000);
        timeout = &ts;
    }
    ::syscall(SYS_futex, FutexAddress(word), FUTEX_WAIT_PRIVATE, expected, timeout, nullptr, 0);
}

// Wakes sleepers on the word at this address (one or all). Takes the address
// alone, so it may be called after the object holding the word is gone: a
// wake on a reused address is only a spurious wake, which every futex waiter
// tolerates.
inline void FutexWakeAddress(int32_t* word, bool all)
{
    ::syscall(SYS_futex, word, FUTEX_WAKE_PRIVATE, all ? INT_MAX : 1, nullptr, nullptr, 0);
}

// How long a waiter keeps looking before it sleeps.
inline constexpr int kFutexSpinMicroseconds = 30;

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Waits until ready() holds, sleeping on word whenever it still holds the
// value seen just before ready() said no. The caller's waiters count is
// raised before that last look and lowered on the way out, so a waker that
// changes the word first and reads the count after never skips a sleeper.
// timeoutMs: below 0 no limit, 0 no wait. False on time-out. spinMicroseconds:
// how long to keep looking before the first sleep.
template <typename Ready>
bool FutexWaitFor(std::atomic<int32_t>& word, std::atomic<int32_t>& waiters, int timeoutMs, Ready ready,
                  int spinMicroseconds = kFutexSpinMicroseconds)
{
    if (ready())
        return true;
    if (timeoutMs == 0)
        return false;
    // A reply on loopback comes back within microseconds, while waking a
    // thread that went to sleep on an idle core can cost tens of them (a
    // virtual machine's halted CPU most of all): look again for a moment
    // before sleeping.
    const auto spinUntil = std::chrono::steady_clock::now() + std::chrono::microseconds(spinMicroseconds);
    do {
        if (ready())
            return true;
        CpuRelax();
    } while (std::chrono::steady_clock::now() < spinUntil);
    std::chrono::steady_clock::time_point deadline;
    if (timeoutMs > 0)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    waiters.fetch_add(1);
    for (;;) {
        const int32_t seen = word.load();
        if (ready()) {
            waiters.fetch_sub(1);
            return true;
        }
        if (timeoutMs > 0 && std::chrono::steady_clock::now() >= deadline) {
            waiters.fetch_sub(1);
            return false;
        }
        FutexWaitUntil(word, seen, timeoutMs > 0 ? &deadline : nullptr);
    }
}

// Counts the threads still touching an object on their way to waking its
// waiters, so that a released waiter, which may destroy the object next,
// first lets them finish. Wakers leave before their wake system call, which
// needs only the word's address.
class WakeGuard {
public:
    void Enter() { inside_.fetch_add(1, std::memory_order_seq_cst); }
    void Leave() { inside_.fetch_sub(1, std::memory_order_release); }
    // The wakers are a few instructions away from leaving; yield to them.
    void Drain() const
    {
        while (inside_.load(std::memory_order_acquire) != 0)
            ::sched_yield();
    }

private:
    std::atomic<int32_t> inside_{0};
};

} // namespace pellar
