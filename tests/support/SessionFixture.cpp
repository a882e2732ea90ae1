#include "support/SessionFixture.h"

#include <cstdlib>

namespace pellar::test {

void SessionFixture::Relay(int port)
{
    serverPort = port;
    relay = std::make_unique<LoopbackRelay>(static_cast<uint16_t>(port));
}

void SessionFixture::StartServer(const miravod::ServerOptions& options)
{
    std::string error;
    server = StartDemoServer(&error, options);
    ASSERT_TRUE(server) << error;
    Relay(server->Port());
}

namespace {

std::unique_ptr<miravod::Server>& SharedServer()
{
    static std::unique_ptr<miravod::Server> shared;
    return shared;
}

} // namespace

void SessionFixture::TearDownTestSuite()
{
    // Stopped before the program's exit handlers run: the library the
    // server hashes passwords with tears itself down in one of them.
    SharedServer().reset();
}

void SessionFixture::StartServer()
{
    std::unique_ptr<miravod::Server>& shared = SharedServer();
    if (!shared) {
        std::string error;
        shared = StartDemoServer(&error);
        ASSERT_TRUE(shared) << error;
    }
    Relay(shared->Port());
}

LoginChoice SessionFixture::Choice(std::string user, std::string password) const
{
    return LoginChoice{"127.0.0.1", relay->portText(), std::move(user), std::move(password), ""};
}

::testing::AssertionResult SessionFixture::LogOn(SessionClient& c, std::string user, std::string password)
{
    c.ui.login = Choice(std::move(user), std::move(password));
    if (!c.logon.LogOn())
        return ::testing::AssertionFailure() << "logon failed";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SessionFixture::LogOnDirect(SessionClient& c, std::string user, std::string password)
{
    if (!c.LogOn(std::to_string(serverPort), user, password))
        return ::testing::AssertionFailure() << "direct logon failed";
    return ::testing::AssertionSuccess();
}

namespace {

// The request number of a request line "<id> <number> ...", or -1.
int RequestNumber(const std::string& line, size_t* blank)
{
    *blank = line.find(' ');
    if (line.empty() || line[0] < '0' || line[0] > '9' || *blank == std::string::npos)
        return -1;
    return std::atoi(line.c_str() + *blank + 1);
}

} // namespace

std::vector<int> SessionFixture::SentRequestNumbers()
{
    std::vector<int> numbers;
    size_t blank = 0;
    for (const std::string& line : relay->SentLines())
        if (const int n = RequestNumber(line, &blank); n >= 0)
            numbers.push_back(n);
    return numbers;
}

std::vector<std::string> SessionFixture::SentRequests(int number)
{
    std::vector<std::string> lines;
    size_t blank = 0;
    for (const std::string& line : relay->SentLines())
        if (RequestNumber(line, &blank) == number)
            lines.push_back(line.substr(blank + 1));
    return lines;
}

} // namespace pellar::test
