// A raw-socket peer for the server tests: sends request bytes exactly as
// given and reads reply bytes back, keeping asynchronous messages apart.
// Every wait has a generous deadline, so a broken server fails a test
// instead of hanging it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "server/Server.h"

namespace miravod::test {

inline constexpr auto kDeadline = std::chrono::seconds(10);

class RawClient {
public:
    // `from` binds the local end to another loopback address, so that the
    // server sees a link from elsewhere.
    explicit RawClient(int port, const char* from = nullptr)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        if (from) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            inet_pton(AF_INET, from, &local.sin_addr);
            if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return;
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawClient()
    {
        if (fd_ >= 0) close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return connected_; }

    void Send(const std::string& bytes)
    {
        size_t off = 0;
        while (off < bytes.size()) {
            const ssize_t n = send(fd_, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0) return;
            off += static_cast<size_t>(n);
        }
    }

    // Sends nothing more; replies still come.
    void ShutdownWrite() { shutdown(fd_, SHUT_WR); }

    // Handshake and greeting.
    bool Greet(const std::string& user = "tester")
    {
        Send("A" + std::to_string(user.size()) + "H" + user + "\n");
        return ReadLine() == "MIRAVO";
    }

    // One line without its LF; nullopt when the link closed or the deadline passed.
    std::optional<std::string> ReadLine()
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            const size_t lf = buffer_.find('\n');
            if (lf != std::string::npos) {
                std::string line = buffer_.substr(0, lf);
                buffer_.erase(0, lf + 1);
                return line;
            }
            if (!Fill(deadline)) return std::nullopt;
        }
    }

    std::optional<std::string> ReadBytes(size_t n)
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (buffer_.size() < n) {
            if (!Fill(deadline)) return std::nullopt;
        }
        std::string out = buffer_.substr(0, n);
        buffer_.erase(0, n);
        return out;
    }

    // Sends "<id> <request>\n" and returns the reply line with that id,
    // setting asynchronous lines that come first aside.
    std::string Call(const std::string& request)
    {
        const int id = nextId_++;
        Send(std::to_string(id) + " " + request + "\n");
        return ReplyTo(id);
    }

    std::string ReplyTo(int id)
    {
        const std::string ok = "=" + std::to_string(id);
        const std::string err = "%" + std::to_string(id);
        for (;;) {
            auto line = ReadLine();
            if (!line) return "<closed>";
            if (!line->empty() && (*line)[0] == ':') {
                async_.push_back(CompleteAsync(*line));
                continue;
            }
            if (line->rfind(ok, 0) == 0 || line->rfind(err, 0) == 0) {
                const char next = line->size() > ok.size() ? (*line)[ok.size()] : ' ';
                if (next == ' ') return *line;
            }
            others_.push_back(*line);
        }
    }

    // Everything asynchronous delivered so far: a round trip first makes
    // sure that all the server sent before it has been read.
    std::vector<std::string> TakeAsync()
    {
        Call("35");
        std::vector<std::string> out(async_.begin(), async_.end());
        async_.clear();
        return out;
    }

    // Waits for the next asynchronous message, for notices that follow
    // something no request of ours is ordered with (another link closing).
    std::optional<std::string> WaitAsync()
    {
        while (async_.empty()) {
            auto line = ReadLine();
            if (!line) return std::nullopt;
            if (!line->empty() && (*line)[0] == ':') async_.push_back(CompleteAsync(*line));
            else others_.push_back(*line);
        }
        std::string out = async_.front();
        async_.pop_front();
        return out;
    }

    // True when the server closed the link.
    bool WaitClosed()
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (Fill(deadline)) {
        }
        return closed_;
    }

    int NextId() const { return nextId_; }

private:
    // A type-12 message may carry LF inside its string: read the rest.
    std::string CompleteAsync(std::string line)
    {
        std::smatch m;
        static const std::regex msg(R"(^:\d+ 12 -?\d+ -?\d+ (\d+)H)");
        if (std::regex_search(line, m, msg)) {
            const size_t want = std::stoul(m[1].str());
            const size_t have = line.size() - static_cast<size_t>(m.length(0));
            if (have < want) {
                // The LF that ended the line belongs to the message.
                auto rest = ReadBytes(want - have - 1);
                if (rest) line += "\n" + *rest;
                auto tail = ReadLine();
                if (tail) line += *tail;
            }
        }
        return line;
    }

    bool Fill(std::chrono::steady_clock::time_point deadline)
    {
        if (closed_) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buf[65536];
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) {
            closed_ = true;
            return false;
        }
        buffer_.append(buf, static_cast<size_t>(n));
        return true;
    }

    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    int nextId_ = 1;
    std::string buffer_;
    std::deque<std::string> async_;
    std::vector<std::string> others_;
};

// AddressSanitizer keeps freed memory in quarantine, so there the resident
// size says nothing about what the server holds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentSizeMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResidentSizeMeaningful = false;
#else
inline constexpr bool kResidentSizeMeaningful = true;
#endif
#else
inline constexpr bool kResidentSizeMeaningful = true;
#endif

// The test process's resident memory, the in-process server's included.
inline size_t ResidentBytes()
{
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long size = 0, resident = 0;
    const int n = std::fscanf(f, "%lu %lu", &size, &resident);
    std::fclose(f);
    return n == 2 ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

// An in-process server on an ephemeral loopback port.
inline std::unique_ptr<Server> StartServer(ServerOptions o = {})
{
    o.port = 0;
    o.demoCompanion = false;
    o.passwordIterations = 1000;
    auto s = std::make_unique<Server>(o);
    std::string error;
    EXPECT_TRUE(s->Start(&error)) << error;
    return s;
}

// Compares a reply with a pattern in which "<t>" stands for one nine-integer
// time and "<n>" for any integer; everything else must match byte for byte.
inline bool WireMatches(const std::string& actual, const std::string& pattern)
{
    std::string re;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 3, "<t>") == 0) {
            re += R"((-?\d+ ){8}-?\d+)";
            i += 2;
        } else if (pattern.compare(i, 3, "<n>") == 0) {
            re += R"(-?\d+)";
            i += 2;
        } else {
            const char c = pattern[i];
            if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) re += '\\';
            re += c;
        }
    }
    return std::regex_match(actual, std::regex(re));
}

inline ::testing::AssertionResult WireMatch(const std::string& actual, const std::string& pattern)
{
    if (WireMatches(actual, pattern)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual:  " << actual << "\npattern: " << pattern;
}

#define EXPECT_WIRE(actual, pattern) EXPECT_TRUE(::miravod::test::WireMatch((actual), (pattern)))

} // namespace miravod::test
