#include "core/session/ConnectErrors.h"

#include "core/link/TMVCommunicationThread.h"
#include "core/link/Sockets.h"

namespace pellar {

namespace {

std::string PlainWords(int code)
{
    switch (code) {
    case 10061: return "nothing accepts connections on that port; the server may not be running";
    case 10060: return "there was no answer in time";
    case 10064: return "the host is down";
    case 10051:
    case 10065: return "the host cannot be reached from this network";
    case 10049: return "that address cannot be used from this computer";
    case 11001:
    case 11004: return "no host of that name was found";
    case 11002: return "the name could not be looked up just now; try again later";
    case 10053:
    case 10054: return "the connection was closed at once";
    default: return "the connection failed";
    }
}

std::string Where(const std::string& host, const std::string& port)
{
    return (host.empty() ? std::string("(no host given)") : host) + " port " +
           (port.empty() ? std::string("(none)") : port);
}

} // namespace

std::string ConnectFailureText(const std::string& host, const std::string& port, const ProxySettings& proxy,
                               const std::exception& error)
{
    const auto* socket = dynamic_cast<const TWinsockException*>(&error);
    std::string text = "Could not connect to " + Where(host, port);
    if (proxy.useProxy)
        text += " through the proxy " + Where(proxy.server, proxy.port);
    text += ": " + (socket ? PlainWords(socket->Code()) : std::string("the connection failed")) + ".";
    const std::string detail = error.what();
    if (!detail.empty())
        text += "\r\n" + detail;
    return text;
}

std::string GreetingTimeoutText(const std::string& host, const std::string& port)
{
    return "Could not connect to " + Where(host, port) +
           ": the connection was made but no Miravo server greeted in time; it may be the wrong port."
           "\r\nFailed to connect due to a timeout.";
}

} // namespace pellar
