// One client link: the handshake, the request reader and the queue of bytes
// waiting to go out, with the delays and pacing the fault switches ask for.
// On the encrypted port the TLS session is made only once the client's whole
// first record has arrived: until then its bytes wait in the kernel, so a
// link that sends half a hello costs next to nothing here.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "server/RequestParser.h"
#include "server/TlsContext.h"

namespace miravod {

class Connection {
public:
    using Clock = std::chrono::steady_clock;

    // tls: the context of the encrypted port, null on the plain one.
    // outputTotal: where the bytes queued on all links are counted.
    Connection(int fd, std::string address, RequestParser::Limits limits, SSL_CTX* tls = nullptr,
               size_t* outputTotal = nullptr);
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
    // The peer sends no more: what it sent is served, the replies go out,
    // then the link closes.
    bool inputEnded = false;
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
    // Drops every queued byte at once (the link is being dropped).
    void DropOutput();
    // The last write found the socket full with bytes still due: the peer
    // is not reading as fast as it is sent to.
    bool Blocked() const { return blocked_; }
    // When the first queued bytes may go; max() when nothing is queued.
    Clock::time_point NextDue() const;
    // Writes what is due; false when the link failed.
    bool Write(bool byteByByte);

    // Reads what the link has: the byte count, 0 when nothing is there yet
    // (an encrypted handshake step may be all that happened), kEnded when
    // the peer has finished sending, kFailed when the link is broken.
    static constexpr long kFailed = -1;
    static constexpr long kEnded = -2;
    long Receive(char* buf, size_t size);
    // Decrypted bytes wait inside the session: the socket will not show them.
    // Bytes wait inside the encrypted session, which epoll cannot see: a
    // whole record to decrypt, or the start of one that only the socket can
    // complete (false until the socket has been read again).
    bool Buffered() const { return tls_ && !needsSocket_ && tls_->Buffered(); }
    // The session must write before it can go on (its handshake or a read):
    // the loop then waits for room as well as for bytes.
    bool WantsOut() const { return wantsOut_; }
    bool Encrypted() const { return tls_ != nullptr || tlsCtx_ != nullptr; }

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
    // Waits for the client's first record; kFailed, 0 (not all there) or 1.
    long StartTls();

    std::unique_ptr<TlsSession> tls_;
    SSL_CTX* tlsCtx_ = nullptr; // until the session is made
    size_t* outputTotal_;
    size_t ownTotal_ = 0; // stands in when no shared count is given
    bool blocked_ = false;
    bool wantsOut_ = false;
    bool needsSocket_ = false;
};

} // namespace miravod
