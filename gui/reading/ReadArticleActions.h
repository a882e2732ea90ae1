// The reading window's actions, menus and tool bars: captions, shortcuts,
// enabling, the history drop-downs and the context menus of the conference
// list and the subject tree. Each action runs a TReadingCommands step.
#pragma once

#include <QObject>

#include <map>
#include <string>

class QAction;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace pellar {

class TReadArticleForm;
class TReadingCommands;

class TReadArticleActions : public QObject {
    Q_OBJECT

public:
    TReadArticleActions(TReadArticleForm& form, TReadingCommands& commands);

    void SetOnline(bool online);
    // The back and forward buttons follow the history, while online.
    void UpdateHistoryButtons();
    void HideDebugToolBar();
    // Rebuilds a history drop-down (back or forward).
    void FillHistoryMenu(QMenu* menu, bool back);

    // An action by its name ("ReadNextAction", "Setpriority1", ...); null if none.
    QAction* Action(const std::string& name) const;
    QAction* ReadNextAction() const { return Action("ReadNextAction"); }
    QAction* ReadPreviousAction() const { return Action("ReadPreviousAction"); }
    QAction* ViewPrevTextAction() const { return Action("ViewPrevTextAction"); }
    QAction* ViewNextTextAction() const { return Action("ViewNextTextAction"); }
    QAction* ReformatTextAction() const { return Action("ReformatTextAction"); }
    QMenu* Commands1() const { return commandsMenu_; }
    QMenu* ConfPopupMenu() const { return confMenu_; }
    QMenu* SubjTreePopupMenu() const { return treeMenu_; }
    QMenu* PrevPopupMenu() const { return prevMenu_; }
    QMenu* NextPopupMenu() const { return nextMenu_; }
    // The Connect button's drop-down of profiles that log on without asking.
    QMenu* ConnectPopupMenu() const { return connectMenu_; }
    void FillConnectMenu();
    QTimer* AutoReadTimer() const { return autoReadTimer_; }
    // Makes the conference menu and tree menu match the selection.
    void PrepareConfMenu();
    void PrepareTreeMenu();

private:
    template <typename Slot>
    QAction* Make(const char* name, const QString& caption, Slot slot, const QKeySequence& shortcut = {});
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();

    TReadArticleForm& form_;
    TReadingCommands& commands_;
    std::map<std::string, QAction*> actions_;
    QMenu* commandsMenu_ = nullptr;
    QMenu* confMenu_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    QMenu* prevMenu_ = nullptr;
    QMenu* nextMenu_ = nullptr;
    QMenu* connectMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* debugToolBar_ = nullptr;
    QTimer* autoReadTimer_ = nullptr;
    bool online_ = false;
};

} // namespace pellar
