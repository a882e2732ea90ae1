// The program's command line: "-a" connects at once, "-c <profile>" names the
// profile for that connection, "--demo" runs against the embedded server,
// "--help" and "--version" answer and exit without opening a window.
#pragma once

#include <string>
#include <vector>

namespace pellar {

struct CommandLine {
    bool autoConnect = false;
    std::string startProfile;
    bool demo = false;
    bool help = false;
    bool version = false;
    // Not empty: an option the program does not know; usage and exit 2.
    std::string error;
};

// Scans the arguments after the program name. Of a single-dash option only
// the letter after the "-" counts ("-auto" is "-a"); arguments not starting
// with "-" are ignored, and a "-c" with nothing after it is dropped.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "Usage: pellar [options]" and the options, for --help and for errors.
std::string CommandLineUsage();
// "Pellar <version>", the first line of --version.
std::string VersionText();

// What main does before anything else: prints and returns an exit code
// for --help (0), --version (0) or an unknown option (2); -1 to go on.
int AnswerWithoutWindow(const CommandLine& line);

} // namespace pellar
