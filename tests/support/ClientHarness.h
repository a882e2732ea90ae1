// A fresh client context connected to a scripted peer, for protocol tests
// that check the exact bytes on the wire.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "core/session/Client.h"
#include "support/ScriptedPeer.h"

namespace pellar::test {

// Polls pred until it holds or the deadline passes (for conditions without a
// waitable event of their own).
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// The client's handshake line for the local user.
std::string HandshakeLine();

ClientOptions QuietClientOptions();

class ClientHarness {
public:
    explicit ClientHarness(ClientOptions options = QuietClientOptions()) : client(options) {}

    // Connects, checks the handshake and, when greet is set, greets and waits
    // until the client counts as connected.
    ::testing::AssertionResult Connect(bool greet = true, const ProxySettings& proxy = {});
    ::testing::AssertionResult Greet(std::string_view greeting = "MIRAVO\n");

    ScriptedPeer peer;
    Client client;
};

} // namespace pellar::test
