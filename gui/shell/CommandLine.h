// The program's command line: "-a" connects at once, "-c <profile>" names the
// profile for that connection, "--demo" runs against the embedded server.
#pragma once

#include <string>
#include <vector>

namespace pellar {

struct CommandLine {
    bool autoConnect = false;
    std::string startProfile;
    bool demo = false;
};

// Scans the arguments after the program name. Only the character after the
// "-" counts; unknown arguments and those not starting with "-" are ignored,
// and a "-c" with nothing after it ends the scan.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

} // namespace pellar
