#include "core/reading/TypedCommands.h"

#include "core/config/ShortcutMap.h"

namespace pellar {

TypedCommandInterpreter::TypedCommandInterpreter(TypedCommandPort& port,
                                                 std::function<std::vector<std::string>()> shortcuts)
    : port_(port), shortcuts_(std::move(shortcuts))
{
}

int TypedCommandInterpreter::Match(const std::vector<std::string>& bindings, std::string_view typed)
{
    // The configuration's matcher is the one place the binding rules live.
    return LookupShortcut(bindings, typed);
}

void TypedCommandInterpreter::Clear()
{
    buffer_.clear();
    port_.ShowTypedKeys(buffer_);
}

void TypedCommandInterpreter::KeyPressed(char key)
{
    const bool connected = port_.IsConnected();
    if ((key == '\r' || key == '\n') && !connected) {
        Clear();
        port_.Connect();
        return;
    }
    if (key == kEscape) {
        Clear();
        return;
    }
    if (!connected) {
        port_.ForwardKey(key);
        return;
    }
    buffer_ += key;
    port_.ShowTypedKeys(buffer_);
    const int result = Match(shortcuts_ ? shortcuts_() : std::vector<std::string>{}, buffer_);
    if (result == kShortcutPartial)
        return;
    Clear();
    if (result > 0)
        port_.RunCommand(result);
}

} // namespace pellar
