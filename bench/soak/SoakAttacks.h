// The soak's attacker: each round one attack from loopback addresses of its
// own, held a few seconds, then dropped. The older attacks only have to leave
// the honest sessions unharmed; the newer ones measure the server's defence
// and keep what they measured for the verdict.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace soak {

// Figures of the attacks that measure something. A round during which the
// server was killed counts in none of them (voidedRounds).
struct AttackFigures {
    uint64_t voidedRounds = 0;

    // A session sending broadcasts as fast as it can.
    uint64_t floodRounds = 0, floodSent = 0, floodAccepted = 0, floodRefused = 0, floodOther = 0;
    // Accepted beyond what the burst and the rate allow over the round.
    uint64_t floodOverRate = 0;
    // Honest messages (personal and to all) sent during the flood and seen
    // by their recipient.
    uint64_t witnessSent = 0, witnessArrived = 0;

    // Many links guessing one person's password while that person logs on.
    uint64_t guessRounds = 0, guesses = 0, guessesRefused = 0;
    uint64_t victimLogons = 0, victimFailed = 0;
    double victimLongestMs = 0;

    // Links that send their requests and end their side.
    uint64_t halfCloseRounds = 0, halfCloseExpected = 0, halfCloseArrived = 0, halfCloseNotLoggedOn = 0;

    // Links that start a TLS handshake and never finish it.
    uint64_t tlsRounds = 0, tlsHalfLinks = 0, tlsFailed = 0;
    double tlsHandshakeLongestMs = 0;
    double tlsKbPerHalfLink = 0;  // the largest over the rounds
};

struct AttackTargets {
    int port = 0;
    int tlsPort = 0;                   // 0: the server serves no TLS
    int broadcastBurst = 10, broadcastRate = 2;  // the server's defaults
    const std::atomic<uint64_t>* restarts = nullptr;
    // The server's resident memory now, in KB.
    long (*rssKb)(const void* server) = nullptr;
    const void* server = nullptr;
};

class Attacker {
public:
    explicit Attacker(AttackTargets targets) : t_(targets) {}

    void Run(std::chrono::steady_clock::time_point until, std::atomic<uint64_t>& rounds);
    const AttackFigures& Figures() const { return f_; }
    // The attack running now (a static name), for telling what a memory peak came from.
    const char* Current() const { return current_.load(); }

private:
    // Older attacks.
    void IdleLinks();
    void EndlessRequest();
    void WrongPasswords();
    void UnreadReplies();
    // Newer ones; they write their figures into the copy they are given,
    // which counts only when the server lived through the round.
    void BroadcastFlood(AttackFigures& f);
    void GuessWhileOwnerLogsOn(AttackFigures& f);
    void HalfClosedLinks(AttackFigures& f);
    void HalfTlsHandshakes(AttackFigures& f);

    // A link logged on as the greedy person (made on first use); -1 on failure.
    int GreedyLink(const char* from);
    // A person of the attacker's own, made once; 0 on failure.
    int32_t MakePerson(const std::string& name, const std::string& password, const char* from);
    static void Hold(std::vector<int>& fds);

    AttackTargets t_;
    AttackFigures f_;
    std::atomic<const char*> current_{"none"};
    int32_t person_ = 0;
    int32_t conf_ = 0;
    int32_t bigText_ = 0;
    int32_t victim_ = 0, witnessFrom_ = 0, witnessTo_ = 0;
};

} // namespace soak
