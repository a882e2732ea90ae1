// One client link: the handshake, the request reader and the queue of bytes
// waiting to go out, with the delays and pacing the fault switches ask for.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "server/RequestParser.h"

namespace miravod {

class Connection {
public:
    using Clock = std::chrono::steady_clock;

    Connection(int fd, std::string address, RequestParser::Limits limits)
        : fd_(fd), address_(std::move(address)), parser_(limits)
    {
    }
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int Fd() const { return fd_; }
    const std::string& Address() const { return address_; }
    // For the timeouts of links that have not logged on.
    Clock::time_point opened = Clock::now();
    Clock::time_point lastRequest = Clock::now();
    int32_t session = 0;
    int requestsServed = 0;
    bool closeWhenFlushed = false;
    bool dead = false;
    uint64_t job = 0; // the password job this link waits for, 0 = none
    uint32_t watched = 0; // the events the loop waits for on this link
    // Book-keeping of the loop: whether the link is on this turn's list of
    // links with activity, and the wake-up already asked for its delayed
    // output (max() when none).
    bool touched = false;
    Clock::time_point timerDue = Clock::time_point::max();

    enum class Handshake { NeedMore, Done, Bad };
    // Takes handshake bytes from the front of data; on Done, the user name is
    // set and data holds what followed.
    Handshake ReadHandshake(std::string& data);
    bool Handshaken() const { return handshaken_; }
    const std::string& UserName() const { return userName_; }
    RequestParser& Parser() { return parser_; }

    // Request bytes read but not yet served: they wait here while the
    // link's output is backed up, so reading stops with them.
    void Take(std::string_view bytes);
    std::string_view Unserved() const { return std::string_view(inbox_).substr(inboxPos_); }
    void Served(size_t n);
    bool HasUnserved() const { return inboxPos_ < inbox_.size(); }

    void Queue(std::string bytes, Clock::time_point due);
    size_t PendingBytes() const { return pendingBytes_; }
    // When the first queued bytes may go; max() when nothing is queued.
    Clock::time_point NextDue() const;
    // Writes what is due; false when the link failed.
    bool Write(bool byteByByte);

private:
    struct Chunk {
        std::string bytes;
        size_t offset = 0;
        Clock::time_point due;
    };

    int fd_;
    std::string address_;
    RequestParser parser_;
    std::string handshake_;
    bool handshaken_ = false;
    std::string userName_;
    std::string inbox_;
    size_t inboxPos_ = 0;
    std::deque<Chunk> out_;
    size_t pendingBytes_ = 0;
};

} // namespace miravod
