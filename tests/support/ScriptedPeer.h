// A scripted loopback peer for protocol tests: it accepts one connection,
// checks the exact bytes it receives and plays the bytes it is told to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace pellar::test {

class ScriptedPeer {
public:
    // Listens on 127.0.0.1 with an ephemeral port.
    ScriptedPeer();
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    uint16_t port() const { return port_; }
    std::string portText() const { return std::to_string(port_); }

    // Waits for the client's connection.
    ::testing::AssertionResult accept(int timeoutMs = 5000);
    // Receives exactly bytes.size() bytes and compares them; on a mismatch or
    // a short read reports both texts and where they first differ.
    ::testing::AssertionResult expect(std::string_view bytes, int timeoutMs = 5000);
    // Receives until the byte stream ends with terminator; returns everything.
    std::string receiveUntil(std::string_view terminator, int timeoutMs = 5000);
    // Receives count bytes, or fewer when the time runs out or the link ends.
    std::string receiveCount(size_t count, int timeoutMs = 5000) { return receive(count, timeoutMs); }
    // True when nothing arrives within the given time (for "sends nothing").
    bool quiet(int timeoutMs);

    void send(std::string_view bytes);
    // Plays the bytes one byte per send() so the client sees many recv()s.
    void sendBytewise(std::string_view bytes);
    // Closes the connection (the client sees an orderly close).
    void close();

    // "\n" and other control bytes written visibly, for failure messages.
    static std::string Visible(std::string_view bytes);

private:
    std::string receive(size_t count, int timeoutMs);

    int listenFd_ = -1;
    int connFd_ = -1;
    uint16_t port_ = 0;
};

} // namespace pellar::test
