// The program's command line: "-a" connects at once, "-c <profile>" names the
// profile for that connection, "--demo" runs against the embedded server,
// "--language <code>" shows the windows in that language ("en": as written),
// "--help" and "--version" answer and exit without opening a window. Anything
// else is warned about and ignored, so a launcher's extra switch still opens
// the window.
#pragma once

#include <string>
#include <vector>

namespace pellar {

struct CommandLine {
    bool autoConnect = false;
    std::string startProfile;
    bool demo = false;
    // Empty: the desktop's language.
    std::string language;
    bool help = false;
    bool version = false;
    // Options the program does not know (or that carry a value they do not
    // take), one line each; warned about on stderr and otherwise ignored.
    std::vector<std::string> warnings;
};

// Scans the arguments after the program name. Of a single-dash option only
// the letter after the "-" counts ("-auto" is "-a"); arguments not starting
// with "-" are ignored, and a "-c" with nothing after it is dropped.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "Usage: pellar [options]" and the options, for --help and for errors.
std::string CommandLineUsage();
// "Pellar <version>", the first line of --version.
std::string VersionText();

// What main does before anything else: warns on stderr of every ignored
// option, then prints and returns an exit code for --help (0) or
// --version (0); -1 to go on.
int AnswerWithoutWindow(const CommandLine& line);

} // namespace pellar
