// The client's fixed vocabulary of commands: activity keys, user commands
// and the default typed shortcuts. The settings, the session's commands, the
// reading window and the typed-command menu read them. (The server's error
// texts and the protocol's exception are the wire's: MiravoErrors.h.)
#pragma once

#include "core/wire/MiravoErrors.h"

#include <array>

namespace pellar {

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

} // namespace pellar
