// What the user is told when a connect fails: which host and port were
// tried and what happened, in plain words on the first line, then the socket
// error table's own text for whoever needs the code.
#pragma once

#include <exception>
#include <string>

namespace pellar {

struct ProxySettings;

// The whole message (without the "!" of the user-message queue).
std::string ConnectFailureText(const std::string& host, const std::string& port, const ProxySettings& proxy,
                               const std::exception& error);
// The link was made but no greeting came in time.
std::string GreetingTimeoutText(const std::string& host, const std::string& port);

} // namespace pellar
