#include "gui/shell/MainForm.h"

#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/QuickHelpForm.h"
#include "gui/shell/HelpWindow.h"
#include "gui/shell/MainMenus.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/ToolBarOverflow.h"
#include "gui/shell/WindowGeometry.h"
#include "gui/shell/WindowsMenu.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <charconv>
#include <optional>

namespace pellar {

namespace {

// Ticks between two flushes of the read marks: about a minute.
constexpr int kFlushTicks = 600;

std::optional<int> ToInt(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool AskWarningYesNo(QWidget* parent, const QString& question)
{
    return QMessageBox::warning(parent, QStringLiteral("Pellar"), question, QMessageBox::Yes | QMessageBox::No) !=
           QMessageBox::No;
}

} // namespace

TMainForm::TMainForm(const GuiServices* services, QWidget* parent) : MainWindow(parent), services_(services)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pellar"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("ClientArea"));
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdiArea_);

    menus_ = new TMainMenus(this);
    windowsMenu_ = new TWindowsMenu(menus_->WindowsMenu, mdiArea_);

    QToolBar* controlBar = addToolBar(tr("Session"));
    controlBar->setObjectName(QStringLiteral("ControlBar1"));
    NameToolBarOverflow(controlBar);
    controlBar->setMovable(false);
    controlBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    controlBar->addAction(menus_->SessionConnectAction);
    controlBar->addAction(menus_->SessionDisconnectAction);

    statusBar_ = new TMainStatusBar(this);
    // The caret of a writing window, or a key command being typed in the
    // reading window, belongs to the child window that was active. The bar
    // is captured, not the window: closing the window hides its children
    // (activating no sub-window) after this class's part of it is gone.
    connect(mdiArea_, &QMdiArea::subWindowActivated, statusBar_,
            [bar = statusBar_] { bar->SetKeyCommand(QString()); });
    setStatusBar(statusBar_);

    quickHelp_ = new TQuickHelpForm(this);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    timer_->start();

    askYesNo_ = [this](const QString& question) { return AskWarningYesNo(this, question); };
    WireActions();
    // Before a size is saved: room for every column of the conference list
    // beside the subject tree (a smaller screen clamps it).
    resize(960, 680);
    SetOnline(false);
}

TMainForm::~TMainForm() = default;

void TMainForm::WireActions()
{
    for (const auto& [action, command] : menus_->CommandActions())
        connect(action, &QAction::triggered, this, [this, command = command] { emit CommandRequested(command); });
    // The admin item shows what the server granted, not what was clicked.
    connect(menus_->AdminItem, &QAction::triggered, this, [this] { menus_->AdminItem->setChecked(adminMode_); });
    connect(menus_->SessionConnectAction, &QAction::triggered, this, &TMainForm::SessionConnectActionExecute);
    connect(menus_->SessionDisconnectAction, &QAction::triggered, this,
            &TMainForm::SessionDisconnectActionExecute);
    connect(menus_->ExitItem, &QAction::triggered, this, &QWidget::close);
    connect(menus_->ClearCachesItem, &QAction::triggered, this, &TMainForm::ClearCachesClick);
    connect(menus_->EditPropertiesItem, &QAction::triggered, this, &TMainForm::EditPropertiesClick);
    connect(menus_->ViewConfPresentationItem, &QAction::triggered, this, [this] { ViewPresentationClick(true); });
    connect(menus_->ViewUserPresentationItem, &QAction::triggered, this, [this] { ViewPresentationClick(false); });
    connect(menus_->HelpIndexItem, &QAction::triggered, this, &TMainForm::HelpIndexClick);
    connect(menus_->ContextHelpItem, &QAction::triggered, this, &TMainForm::ContextHelpClick);
    connect(menus_->QuickHelpItem, &QAction::triggered, this, &TMainForm::QuickHelpClick);
    connect(menus_->AboutItem, &QAction::triggered, this, &TMainForm::AboutClick);
}

void TMainForm::SetOnline(bool online)
{
    const bool changed = online != online_;
    online_ = online;
    menus_->SessionConnectAction->setEnabled(!online);
    menus_->SessionDisconnectAction->setEnabled(online);
    menus_->OnlineMenu->setEnabled(online);
    menus_->OnlineMenu->menuAction()->setEnabled(online);
    // Their shortcuts work outside the menu, so they follow it explicitly.
    for (QAction* action : {menus_->FindTextAction, menus_->ViewMarkedAction, menus_->PropertiesAction})
        action->setEnabled(online);
    if (!online) {
        SetAdminMode(false);
        // "... logged in." of a session that is gone (or never came) would
        // tell the user the opposite of the truth; so would the caption
        // naming the server and the user.
        statusBar_->SetNotice(QString());
        SetCaption(QStringLiteral("Pellar"));
    }
    if (changed)
        emit OnlineChanged(online);
}

void TMainForm::SetAdminMode(bool on)
{
    adminMode_ = on;
    menus_->AdminItem->setChecked(on);
    menus_->SyncItem->setEnabled(on);
}

void TMainForm::SetAutoConnect(bool on, const QString& startProfile)
{
    autoConnect_ = on;
    startProfile_ = startProfile;
    // At the first pass of the event loop (the window shown), not at the
    // timer's next tick up to 100 ms later.
    if (on)
        QTimer::singleShot(0, this, [this] { StartAutoConnect(); });
}

void TMainForm::StartAutoConnect()
{
    if (!autoConnect_)
        return;
    // The logon pumps events; the timer must not re-enter meanwhile.
    timer_->stop();
    const QString profile = startProfile_;
    autoConnect_ = false;
    menus_->SessionConnectAction->setEnabled(false);
    menus_->SessionDisconnectAction->setEnabled(true);
    emit ConnectRequested(true, profile);
    timer_->start();
}

void TMainForm::SessionConnectActionExecute()
{
    // While the logon runs, only Disconnect makes sense.
    menus_->SessionConnectAction->setEnabled(false);
    menus_->SessionDisconnectAction->setEnabled(true);
    emit ConnectRequested(false, QString());
}

void TMainForm::SessionDisconnectActionExecute()
{
    menus_->SessionConnectAction->setEnabled(true);
    menus_->SessionDisconnectAction->setEnabled(false);
    emit DisconnectRequested();
}

void TMainForm::ClearCachesClick()
{
    if (askYesNo_(tr("This will clear all caches, including the edit buffer.\r\nAre you sure?")))
        emit CommandRequested(MainCommand::ClearCaches);
}

void TMainForm::EditPropertiesClick()
{
    const int32_t number = TGetNameForm::Prompt(services_, this, tr("Edit conference properties"),
                                                QString(), TMVConfType::ctConferences);
    if (number != -1)
        emit EditConferencePropertiesRequested(number);
}

void TMainForm::ViewPresentationClick(bool conferences)
{
    const TMVConfTypes types = conferences ? TMVConfTypes(TMVConfType::ctConferences)
                                           : TMVConfTypes(TMVConfType::ctUsers);
    const int32_t number = TGetNameForm::Prompt(services_, this, tr("View presentation"), QString(), types);
    if (number != -1)
        emit ViewPresentationRequested(number);
}

THelpWindow* TMainForm::Help()
{
    if (!help_)
        help_ = new THelpWindow(this);
    return help_;
}

void TMainForm::HelpIndexClick()
{
    Help()->ShowTopic(QString());
}

void TMainForm::ContextHelpClick()
{
    // The window the user is in: a detached window itself, in the frame the
    // active child window.
    QWidget* active = QApplication::activeWindow();
    if (!active || active == this) {
        QMdiSubWindow* sub = mdiArea_->activeSubWindow();
        active = sub ? sub->widget() : nullptr;
    }
    Help()->ShowTopic(THelpWindow::TopicFor(active));
}

void TMainForm::QuickHelpClick()
{
    quickHelp_->show();
    quickHelp_->raise();
    quickHelp_->activateWindow();
}

void TMainForm::AboutClick()
{
    TAboutBox box(this);
    box.exec();
}

void TMainForm::Timer1Timer()
{
    ++tickCount_;
    StartAutoConnect();
    if (online_ && ++onlineTicks_ > kFlushTicks) {
        onlineTicks_ = 0;
        emit MarkReadFlushDue();
    }
    statusBar_->SetPhase(tickCount_);
    emit Ticked(tickCount_);
}

void TMainForm::ApplyWindowSettings(const SettingReader& read)
{
    QRect frame = geometry();
    if (const auto v = ToInt(read("WindowPosTop", "")))
        frame.moveTop(*v);
    if (const auto v = ToInt(read("WindowPosLeft", "")))
        frame.moveLeft(*v);
    if (const auto v = ToInt(read("WindowPosWidth", "")))
        frame.setWidth(*v);
    if (const auto v = ToInt(read("WindowPosHeight", "")))
        frame.setHeight(*v);
    // The screen the saved place is on, else the one the window is on.
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = this->screen();
    if (screen)
        frame = ClampToScreen(frame, screen->availableGeometry());
    setGeometry(frame);
    switch (ToInt(read("StartWindowSizeMode", "2")).value_or(2)) {
    case 0:
        setWindowState(Qt::WindowMaximized);
        break;
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        setWindowState(Qt::WindowNoState);
        break;
    default:
        break;
    }
}

void TMainForm::SaveWindowPosition(const SettingWriter& write) const
{
    const QRect frame = geometry();
    write("WindowPosTop", std::to_string(frame.top()));
    write("WindowPosLeft", std::to_string(frame.left()));
    write("WindowPosWidth", std::to_string(frame.width()));
    write("WindowPosHeight", std::to_string(frame.height()));
}

void TMainForm::SetCaption(const QString& caption)
{
    caption_ = caption;
    setWindowTitle(caption_);
}

QMdiSubWindow* TMainForm::AddChildWindow(QWidget* window)
{
    QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
    window->show();
    return sub;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    emit DisconnectRequested();
    quickHelp_->close();
    if (help_)
        help_->close();
    QMainWindow::closeEvent(event);
}

} // namespace pellar
