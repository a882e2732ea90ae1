// The keyboard-shortcut map: items "keys=command", where keys are what the
// user types in the article view (bytes, ISO-8859-1) and command is the key
// of a user command. Lookup tells whether the typed keys name a command yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellar {

inline constexpr int kShortcutNone = -2;     // no item starts with the typed keys
inline constexpr int kShortcutPartial = -1;  // more keys needed (or an unknown command)

// Items of the 18 default shortcuts, in table order ("\xe5k=readcomto" first).
std::vector<std::string> DefaultShortcutMap();

std::string MakeShortcutItem(std::string_view keys, std::string_view commandKey);

// Keys and command of an item, split at its last "=" (commands hold none,
// so a user may bind the "=" key itself).
std::string_view ShortcutKeys(std::string_view item);
std::string_view ShortcutCommand(std::string_view item);

// kShortcutNone, kShortcutPartial, or the number (1..26) of the command that
// exactly one item binds to the typed keys. Two items with the same keys
// cancel each other out.
int LookupShortcut(const std::vector<std::string>& map, std::string_view typed);

// The number of the user command with this key, or -1.
int UserCommandNumber(std::string_view commandKey);

} // namespace pellar
