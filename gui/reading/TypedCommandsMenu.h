// The reading window's "Typed commands" menu: every command the user can
// type in the text view, with the keys the current shortcut map binds to it
// shown where a menu shows a shortcut, so the typed commands can be found.
#pragma once

#include <QMenu>
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

class TTypedCommandsMenu : public QMenu {
    Q_OBJECT

public:
    using ShortcutSource = std::function<std::vector<std::string>()>;
    using CommandRunner = std::function<void(int)>;

    // shortcuts: the current map ("keys=command" items); run: a user
    // command by its number.
    TTypedCommandsMenu(ShortcutSource shortcuts, CommandRunner run, QWidget* parent = nullptr);

    // Rebuilds the items from the shortcut map (done each time it opens).
    void Rebuild();

    // Typed keys as a menu shows them: ISO-8859-1 bytes, a blank as "Space"
    // ("t " is "t Space").
    static QString KeysText(std::string_view keys);

private:
    ShortcutSource shortcuts_;
    CommandRunner run_;
};

} // namespace pellar
