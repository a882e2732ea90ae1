// Connect failures in words: the host and port tried, what happened on the
// first line, the socket error table's text after it.
#include "core/session/ConnectErrors.h"

#include "core/link/TMVCommunicationThread.h"
#include "core/link/Sockets.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pellar {
namespace {

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find("\r\n"));
}

struct Case {
    int code;
    const char* words;
};

TEST(ConnectErrorsTest, EachSocketFailureIsNamedInPlainWordsBeforeTheTableText)
{
    const Case cases[] = {
        {10061, "nothing accepts connections on that port; the server may not be running"},
        {10060, "there was no answer in time"},
        {10064, "the host is down"},
        {10065, "the host cannot be reached from this network"},
        {10051, "the host cannot be reached from this network"},
        {11001, "no host of that name was found"},
        {11002, "the name could not be looked up just now; try again later"},
        {10054, "the connection was closed at once"},
        {10047, "the connection failed"},
    };
    const ProxySettings direct;
    for (const Case& c : cases) {
        const std::string text = ConnectFailureText("kom.example", "4894", direct, TWinsockException(c.code));
        EXPECT_EQ(FirstLine(text), std::string("Could not connect to kom.example port 4894: ") + c.words + ".")
            << c.code;
        EXPECT_EQ(text.substr(text.find("\r\n") + 2), WinsockErrorText(c.code)) << c.code;
    }
}

TEST(ConnectErrorsTest, AProxyIsNamedTooAndEmptyFieldsAreSaidToBeEmpty)
{
    ProxySettings proxy;
    proxy.useProxy = true;
    proxy.server = "proxy.example";
    proxy.port = "8080";
    EXPECT_EQ(FirstLine(ConnectFailureText("kom.example", "4894", proxy, TWinsockException(10060))),
              "Could not connect to kom.example port 4894 through the proxy proxy.example port 8080: "
              "there was no answer in time.");
    EXPECT_EQ(FirstLine(ConnectFailureText("", "", ProxySettings{}, TWinsockException(11001))),
              "Could not connect to (no host given) port (none): no host of that name was found.");
}

TEST(ConnectErrorsTest, OtherFailuresKeepTheirOwnText)
{
    const std::string text =
        ConnectFailureText("kom.example", "4894", ProxySettings{}, std::runtime_error("certificate expired"));
    EXPECT_EQ(text, "Could not connect to kom.example port 4894: the connection failed.\r\ncertificate expired");
}

TEST(ConnectErrorsTest, GreetingTimeoutNamesWhereAndKeepsTheOldWords)
{
    EXPECT_EQ(GreetingTimeoutText("kom.example", "4894"),
              "Could not connect to kom.example port 4894: the connection was made but no Miravo server greeted "
              "in time; it may be the wrong port.\r\nFailed to connect due to a timeout.");
}

} // namespace
} // namespace pellar
