#include "core/config/ShortcutMap.h"

#include "core/commands/MiravoTables.h"

namespace pellar {

namespace {

const char* CommandKeyOf(int number)
{
    for (const auto& command : MiravoUserCommands)
        if (command.number == number)
            return command.key;
    return nullptr;
}

std::size_t SplitAt(std::string_view item)
{
    const auto eq = item.rfind('=');
    return eq == std::string_view::npos ? item.size() : eq;
}

} // namespace

std::vector<std::string> DefaultShortcutMap()
{
    std::vector<std::string> map;
    map.reserve(MiravoKeyboardShortcuts.size());
    for (const auto& shortcut : MiravoKeyboardShortcuts)
        if (const char* key = CommandKeyOf(shortcut.command))
            map.push_back(MakeShortcutItem(shortcut.shortcut, key));
    return map;
}

std::string MakeShortcutItem(std::string_view keys, std::string_view commandKey)
{
    std::string item(keys);
    item += '=';
    item += commandKey;
    return item;
}

std::string_view ShortcutKeys(std::string_view item)
{
    return item.substr(0, SplitAt(item));
}

std::string_view ShortcutCommand(std::string_view item)
{
    const auto at = SplitAt(item);
    return at < item.size() ? item.substr(at + 1) : std::string_view();
}

int UserCommandNumber(std::string_view commandKey)
{
    for (const auto& command : MiravoUserCommands)
        if (commandKey == command.key)
            return command.number;
    return -1;
}

int LookupShortcut(const std::vector<std::string>& map, std::string_view typed)
{
    enum class State { None, Partial, Found };
    State state = State::None;
    std::string_view found;
    for (const auto& item : map) {
        const std::string_view keys = ShortcutKeys(item);
        if (keys == typed) {
            if (state == State::Found) {
                state = State::None;
            } else {
                state = State::Found;
                found = item;
            }
        } else if (keys.size() > typed.size() && keys.substr(0, typed.size()) == typed) {
            if (state != State::Found)
                state = State::Partial;
        }
    }
    switch (state) {
    case State::None:
        return kShortcutNone;
    case State::Partial:
        return kShortcutPartial;
    case State::Found:
        break;
    }
    return UserCommandNumber(ShortcutCommand(found));
}

} // namespace pellar
