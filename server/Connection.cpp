#include "server/Connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace miravod {

namespace {
constexpr size_t kMaxHandshake = 1024;
}

Connection::~Connection()
{
    tls_.reset();
    if (fd_ >= 0) ::close(fd_);
}

long Connection::Receive(char* buf, size_t size)
{
    if (!tls_) {
        const ssize_t n = ::recv(fd_, buf, size, 0);
        if (n > 0) return n;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
        return -1;
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
    default: return -1;
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
    out_.push_back(Chunk{std::move(bytes), 0, due});
}

Connection::Clock::time_point Connection::NextDue() const
{
    return out_.empty() ? Clock::time_point::max() : out_.front().due;
}

bool Connection::Write(bool byteByByte)
{
    const auto now = Clock::now();
    while (!out_.empty() && out_.front().due <= now) {
        Chunk& c = out_.front();
        const size_t want = byteByByte ? 1 : c.bytes.size() - c.offset;
        ssize_t n = 0;
        if (tls_) {
            // Nothing goes out before the handshake, in clear or otherwise.
            if (!tls_->Established()) return true;
            size_t sent = 0;
            const auto io = tls_->Write(c.bytes.data() + c.offset, want, sent);
            if (io == TlsSession::Io::WantWrite || io == TlsSession::Io::WantRead) return true;
            if (io != TlsSession::Io::Done) return false;
            n = static_cast<ssize_t>(sent);
        } else {
            n = ::send(fd_, c.bytes.data() + c.offset, want, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
                return false;
            }
        }
        c.offset += static_cast<size_t>(n);
        pendingBytes_ -= static_cast<size_t>(n);
        if (c.offset == c.bytes.size()) out_.pop_front();
        // One byte per wake-up, so each goes out in its own segment.
        if (byteByByte) return true;
        if (static_cast<size_t>(n) < want) return true;
    }
    return true;
}

} // namespace miravod
