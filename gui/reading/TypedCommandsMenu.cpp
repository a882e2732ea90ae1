#include "gui/reading/TypedCommandsMenu.h"

#include "core/config/ShortcutMap.h"
#include "core/commands/MiravoTables.h"

#include <QAction>

namespace pellar {

namespace {

const char* Description(int number)
{
    for (const auto& command : MiravoUserCommands)
        if (command.number == number)
            return command.description;
    return nullptr;
}

} // namespace

TTypedCommandsMenu::TTypedCommandsMenu(ShortcutSource shortcuts, CommandRunner run, QWidget* parent)
    : QMenu(tr("T&yped commands"), parent), shortcuts_(std::move(shortcuts)), run_(std::move(run))
{
    setObjectName(QStringLiteral("TypedCommandsMenu"));
    setToolTipsVisible(true);
    connect(this, &QMenu::aboutToShow, this, &TTypedCommandsMenu::Rebuild);
    Rebuild();
}

QString TTypedCommandsMenu::KeysText(std::string_view keys)
{
    QString out;
    bool afterWord = false;
    for (char byte : keys) {
        if (byte == ' ') {
            if (!out.isEmpty())
                out += QLatin1Char(' ');
            out += tr("Space");
            afterWord = true;
            continue;
        }
        if (afterWord)
            out += QLatin1Char(' ');
        out += QChar::fromLatin1(byte);
        afterWord = false;
    }
    return out;
}

void TTypedCommandsMenu::Rebuild()
{
    clear();
    const std::vector<std::string> map = shortcuts_();
    for (const std::string& item : map) {
        const int number = UserCommandNumber(ShortcutCommand(item));
        const char* description = Description(number);
        const std::string_view keys = ShortcutKeys(item);
        if (!description || keys.empty())
            continue;
        // The keys are text, not a key sequence: typed in the text view they
        // run the command, from the menu a click does.
        QAction* action = addAction(QString::fromLatin1(description) + QLatin1Char('\t') + KeysText(keys));
        action->setToolTip(tr("Type %1 in the text view").arg(KeysText(keys)));
        connect(action, &QAction::triggered, this, [this, number] { run_(number); });
    }
}

} // namespace pellar
