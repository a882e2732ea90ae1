#include "server/Connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace miravod {

namespace {
constexpr size_t kMaxHandshake = 1024;
// A TLS record: a 5-byte header whose last two bytes give the body's length.
constexpr size_t kRecordHeader = 5;
constexpr size_t kMaxRecordBody = 16384 + 2048;

void SetLowWater(int fd, int bytes)
{
    setsockopt(fd, SOL_SOCKET, SO_RCVLOWAT, &bytes, sizeof bytes);
}

// Whether the peer has sent its FIN: the bytes it left can never complete.
bool PeerFinished(int fd)
{
    tcp_info info{};
    socklen_t len = sizeof info;
    if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &len) != 0) return true;
    return info.tcpi_state != TCP_ESTABLISHED;
}
} // namespace

Connection::Connection(int fd, std::string address, RequestParser::Limits limits, SSL_CTX* tls, size_t* outputTotal)
    : fd_(fd), address_(std::move(address)), parser_(limits), tlsCtx_(tls),
      outputTotal_(outputTotal ? outputTotal : &ownTotal_)
{
    // epoll reports the link only once a record's header is there.
    if (tlsCtx_) SetLowWater(fd_, static_cast<int>(kRecordHeader));
}

Connection::~Connection()
{
    DropOutput();
    tls_.reset();
    if (fd_ >= 0) ::close(fd_);
}

long Connection::StartTls()
{
    unsigned char head[kRecordHeader];
    const ssize_t n = ::recv(fd_, head, sizeof head, MSG_PEEK);
    if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : kFailed;
    if (n == 0) return kFailed;
    // A handshake record, and a length a hello may have.
    if (head[0] != 0x16) return kFailed;
    if (static_cast<size_t>(n) < kRecordHeader) return PeerFinished(fd_) ? kFailed : 0;
    const size_t body = (size_t{head[3]} << 8) | head[4];
    if (body == 0 || body > kMaxRecordBody) return kFailed;
    // The bytes waiting in the socket, counted without copying them out.
    int queued = 0;
    if (ioctl(fd_, FIONREAD, &queued) != 0) return kFailed;
    const size_t record = kRecordHeader + body;
    if (static_cast<size_t>(queued) < record) {
        if (PeerFinished(fd_)) return kFailed;
        // Woken again only once the whole record is there.
        SetLowWater(fd_, static_cast<int>(record));
        return 0;
    }
    SetLowWater(fd_, 1);
    tls_ = std::make_unique<TlsSession>(tlsCtx_, fd_);
    tlsCtx_ = nullptr;
    return tls_->Valid() ? 1 : kFailed;
}

long Connection::Receive(char* buf, size_t size)
{
    if (tlsCtx_) {
        const long started = StartTls();
        if (started <= 0) return started;
    }
    if (!tls_) {
        const ssize_t n = ::recv(fd_, buf, size, 0);
        if (n > 0) return n;
        if (n == 0) return kEnded;
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
        return kFailed;
    }
    wantsOut_ = false;
    needsSocket_ = false;
    TlsSession::Io io = tls_->Accept();
    size_t n = 0;
    if (io == TlsSession::Io::Done) io = tls_->Read(buf, size, n);
    switch (io) {
    case TlsSession::Io::Done: return static_cast<long>(n);
    case TlsSession::Io::WantRead: needsSocket_ = true; return 0;
    case TlsSession::Io::WantWrite: wantsOut_ = true; return 0;
    // Only after the handshake can an end leave replies to send.
    case TlsSession::Io::Ended: return tls_->Established() ? kEnded : kFailed;
    default: return kFailed;
    }
}

Connection::Handshake Connection::ReadHandshake(std::string& data)
{
    handshake_ += data;
    data.clear();
    // "A" count "H" name LF
    if (handshake_.empty()) return Handshake::NeedMore;
    if (handshake_[0] != 'A') return Handshake::Bad;
    size_t pos = 1;
    size_t len = 0;
    while (pos < handshake_.size() && handshake_[pos] >= '0' && handshake_[pos] <= '9') {
        len = len * 10 + static_cast<size_t>(handshake_[pos] - '0');
        if (len > kMaxHandshake) return Handshake::Bad;
        ++pos;
    }
    if (pos == handshake_.size()) return handshake_.size() > 8 ? Handshake::Bad : Handshake::NeedMore;
    if (pos == 1 || handshake_[pos] != 'H') return Handshake::Bad;
    const size_t end = pos + 1 + len;
    if (handshake_.size() <= end) return handshake_.size() > kMaxHandshake + 16 ? Handshake::Bad : Handshake::NeedMore;
    if (handshake_[end] != '\n') return Handshake::Bad;
    userName_ = handshake_.substr(pos + 1, len);
    // The name goes back out in replies read line by line.
    for (char& c : userName_) {
        if (c == '\n' || c == '\r') c = '?';
    }
    data = handshake_.substr(end + 1);
    handshake_.clear();
    handshake_.shrink_to_fit();
    handshaken_ = true;
    return Handshake::Done;
}

void Connection::Take(std::string_view bytes)
{
    inbox_.append(bytes);
}

void Connection::Served(size_t n)
{
    inboxPos_ += n;
    if (inboxPos_ >= inbox_.size()) {
        inbox_.clear();
        inboxPos_ = 0;
    }
}

void Connection::Queue(std::string bytes, Clock::time_point due)
{
    if (bytes.empty()) return;
    // Never let later bytes overtake earlier ones.
    if (!out_.empty() && out_.back().due > due) due = out_.back().due;
    pendingBytes_ += bytes.size();
    *outputTotal_ += bytes.size();
    out_.push_back(Chunk{std::move(bytes), 0, due});
}

void Connection::DropOutput()
{
    *outputTotal_ -= pendingBytes_;
    pendingBytes_ = 0;
    out_.clear();
    out_.shrink_to_fit();
}

Connection::Clock::time_point Connection::NextDue() const
{
    return out_.empty() ? Clock::time_point::max() : out_.front().due;
}

bool Connection::Write(bool byteByByte)
{
    const auto now = Clock::now();
    blocked_ = false;
    while (!out_.empty() && out_.front().due <= now) {
        Chunk& c = out_.front();
        const size_t want = byteByByte ? 1 : c.bytes.size() - c.offset;
        ssize_t n = 0;
        if (tls_ || tlsCtx_) {
            // Nothing goes out before the handshake, in clear or otherwise.
            if (!tls_ || !tls_->Established()) return true;
            size_t sent = 0;
            const auto io = tls_->Write(c.bytes.data() + c.offset, want, sent);
            if (io == TlsSession::Io::WantWrite || io == TlsSession::Io::WantRead) {
                blocked_ = io == TlsSession::Io::WantWrite;
                return true;
            }
            if (io != TlsSession::Io::Done) return false;
            n = static_cast<ssize_t>(sent);
        } else {
            n = ::send(fd_, c.bytes.data() + c.offset, want, MSG_NOSIGNAL);
            if (n < 0) {
                blocked_ = errno == EAGAIN || errno == EWOULDBLOCK;
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
                return false;
            }
        }
        c.offset += static_cast<size_t>(n);
        pendingBytes_ -= static_cast<size_t>(n);
        *outputTotal_ -= static_cast<size_t>(n);
        if (c.offset == c.bytes.size()) out_.pop_front();
        // One byte per wake-up, so each goes out in its own segment.
        if (byteByByte) return true;
        if (static_cast<size_t>(n) < want) {
            blocked_ = true;
            return true;
        }
    }
    return true;
}

} // namespace miravod
