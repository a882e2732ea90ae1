// The article pane's typed-command interpreter: keys typed while connected
// collect in a buffer until they spell a key binding of the shortcut map,
// which then runs its user command. The window does the running; this unit
// decides what a key press means.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

// What the interpreter asks of the windows around it.
class TypedCommandPort {
public:
    virtual ~TypedCommandPort() = default;
    virtual bool IsConnected() = 0;
    // The main window's Connect command.
    virtual void Connect() = 0;
    // Status-bar panel 1: the keys typed so far (empty clears it).
    virtual void ShowTypedKeys(const std::string& keys) = 0;
    // A user command by its number (1..26).
    virtual void RunCommand(int command) = 0;
    // Not ours: the main window's own key handling.
    virtual void ForwardKey(char key) = 0;
};

// The user commands by number, as the shortcut map names them.
enum class UserCommand : int {
    ReadComTo = 1, WriteCom, WritePCom, WriteFoot, WriteText, WriteLetter, JoinConf, ReadText, FindRoot,
    LeaveConf, SetUnread, ChangeConfName, SkipComments, ReadNext, ShowActive, CreaPers, ChngPwd, CreaConf,
    DelConf, ViewCs, ViewPs, AddMember, DelMember, ViewPres, ReadTopConf, GotoConf,
};

class TypedCommandInterpreter {
public:
    static constexpr char kEscape = 27;

    // shortcuts gives the current key bindings ("keys=command" items).
    TypedCommandInterpreter(TypedCommandPort& port, std::function<std::vector<std::string>()> shortcuts);

    void KeyPressed(char key);
    const std::string& Buffer() const { return buffer_; }

    // -2: no binding starts with typed; -1: more keys needed (or the bound
    // command is unknown); else the number of the one command bound to typed.
    static int Match(const std::vector<std::string>& bindings, std::string_view typed);

private:
    void Clear();

    TypedCommandPort& port_;
    std::function<std::vector<std::string>()> shortcuts_;
    std::string buffer_;
};

} // namespace pellar
