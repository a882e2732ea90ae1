#include "support/ClientHarness.h"

#include "core/wire/WireTokens.h"
#include "core/base/LocalUserName.h"

namespace pellar::test {

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string HandshakeLine()
{
    return "A" + EncodeHollerith(LocalUserName()) + "\n";
}

ClientOptions QuietClientOptions()
{
    ClientOptions o;
    o.debugLog = false;
    o.receiveTrace = false;
    return o;
}

::testing::AssertionResult ClientHarness::Connect(bool greet, const ProxySettings& proxy)
{
    try {
        client.ComThread().Connect("127.0.0.1", peer.portText(), proxy);
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "connect failed: " << e.what();
    }
    if (auto r = peer.accept(); !r)
        return r;
    if (!proxy.useProxy) {
        if (auto r = peer.expect(HandshakeLine()); !r)
            return r;
    }
    return greet ? Greet() : ::testing::AssertionSuccess();
}

::testing::AssertionResult ClientHarness::Greet(std::string_view greeting)
{
    peer.send(greeting);
    if (client.ConnectedEvent().WaitFor(5000) != WaitResult::Signaled)
        return ::testing::AssertionFailure() << "greeting \"" << ScriptedPeer::Visible(greeting) << "\" not seen";
    return ::testing::AssertionSuccess();
}

} // namespace pellar::test
