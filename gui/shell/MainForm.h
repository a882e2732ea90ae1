// The program's frame: a multiple-document window holding the reading,
// messages and other child windows, with the session menus, the status bar
// and the 100 ms timer. Commands are handed on as signals; the session
// layer carries them out and reports back through SetOnline and friends.
#pragma once

#include "gui/common/MainCommands.h"
#include "gui/common/MainWindow.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <string>

class QMdiArea;
class QMdiSubWindow;
class QTimer;

namespace pellar {

struct GuiServices;
class TMainMenus;
class TMainStatusBar;
class TWindowsMenu;
class TQuickHelpForm;
class THelpWindow;

class TMainForm : public MainWindow {
    Q_OBJECT

public:
    // Reads a setting of the current profile: key, default.
    using SettingReader = std::function<std::string(const std::string&, const std::string&)>;
    using SettingWriter = std::function<void(const std::string&, const std::string&)>;
    // Asks a yes/no question; true for Yes.
    using YesNoQuestion = std::function<bool(const QString&)>;
    // Asked before the window closes (and the program quits); false keeps it open.
    using CloseGuard = std::function<bool()>;

    explicit TMainForm(const GuiServices* services = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Enables, together, everything that needs a session.
    void SetOnline(bool online);
    bool IsOnline() const { return online_; }
    // Administrator mode as the server granted it: the check mark and the
    // synchronise command follow it.
    void SetAdminMode(bool on);

    // The next timer tick connects, with the given profile ("" for the default).
    void SetAutoConnect(bool on, const QString& startProfile = QString());
    bool AutoConnect() const { return autoConnect_; }

    void ApplyWindowSettings(const SettingReader& read);
    void SaveWindowPosition(const SettingWriter& write) const;

    void SetYesNoQuestion(YesNoQuestion ask) { askYesNo_ = std::move(ask); }
    void SetCloseGuard(CloseGuard guard) { closeGuard_ = std::move(guard); }

    QMdiSubWindow* AddChildWindow(QWidget* window) override;

    // The frame's caption: the session's server and user while logged on,
    // the program's name else. A maximised child window adds its own title.
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

    QMdiArea* MdiArea() const override { return mdiArea_; }
    TMainMenus* Menus() const { return menus_; }
    TMainStatusBar* StatusBar1() const override { return statusBar_; }
    TWindowsMenu* Windows() const { return windowsMenu_; }
    TQuickHelpForm* QuickHelp() const { return quickHelp_; }
    // The help window, made when first asked for.
    THelpWindow* Help();
    QTimer* Timer1() const { return timer_; }
    qint64 TickCount() const { return tickCount_; }

signals:
    // Connect: by the action (autoConnect false) or by the timer.
    void ConnectRequested(bool autoConnect, const QString& startProfile);
    // Disconnect: by the action or because the window closes.
    void DisconnectRequested();
    void CommandRequested(pellar::MainCommand command);
    // After the chooser "Edit conference properties".
    void EditConferencePropertiesRequested(int32_t conference);
    // After the chooser "View presentation".
    void ViewPresentationRequested(int32_t number);
    void OnlineChanged(bool online);
    // Every 100 ms, after the window's own work.
    void Ticked(qint64 tickCount);
    // About once a minute while online: send the queued read marks.
    void MarkReadFlushDue();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void WireActions();
    void SessionConnectActionExecute();
    void SessionDisconnectActionExecute();
    void ClearCachesClick();
    void EditPropertiesClick();
    void ViewPresentationClick(bool conferences);
    void HelpIndexClick();
    void ContextHelpClick();
    void AboutClick();
    void QuickHelpClick();
    void Timer1Timer();
    // Connects with the start profile once, when asked to at start.
    void StartAutoConnect();

    const GuiServices* services_;
    QString caption_ = QStringLiteral("Pellar");
    QMdiArea* mdiArea_;
    TMainMenus* menus_;
    TMainStatusBar* statusBar_;
    TWindowsMenu* windowsMenu_;
    TQuickHelpForm* quickHelp_;
    THelpWindow* help_ = nullptr;
    QTimer* timer_;
    YesNoQuestion askYesNo_;
    CloseGuard closeGuard_;
    bool online_ = false;
    bool adminMode_ = false;
    bool autoConnect_ = false;
    QString startProfile_;
    qint64 tickCount_ = 0;
    int onlineTicks_ = 0;
};

} // namespace pellar
