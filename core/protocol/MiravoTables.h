// The protocol's and the client's fixed vocabulary: server error texts by
// code, activity keys, user commands and the default typed shortcuts. Also
// the base exception of protocol-level failures.
#pragma once

#include <array>
#include <stdexcept>

namespace pellar {

struct MiravoErrorMsgType {
    const char* text;
    int code;
};
extern const std::array<MiravoErrorMsgType, 47> MiravoErrorMsgs;

// Text of the first row with the code; nullptr when there is none.
const char* MiravoErrorText(int code);

struct MiravoActivity {
    const char* key;
    const char* description;
};
extern const std::array<MiravoActivity, 7> MiravoActivities;

struct MiravoUserCommand {
    int number;
    const char* key;
    const char* description;
};
extern const std::array<MiravoUserCommand, 26> MiravoUserCommands;

// Shortcut texts are ISO-8859-1 bytes; some end in a blank.
struct MiravoKeyboardShortcut {
    const char* shortcut;
    int command;
};
extern const std::array<MiravoKeyboardShortcut, 18> MiravoKeyboardShortcuts;

class MiravoException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace pellar
