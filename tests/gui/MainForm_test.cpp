#include "gui/common/BusyPanel.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/common/MainStatusBar.h"
#include "gui/shell/WindowGeometry.h"
#include "gui/shell/WindowsMenu.h"
#include "tests/gui/ScriptedLookup.h"

#include <set>

#include <QAction>
#include <QLabel>
#include <QStyle>
#include <QImage>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <map>

using namespace pellar;

namespace {

QStringList Captions(const QList<QAction*>& actions)
{
    QStringList captions;
    for (const QAction* a : actions)
        if (!a->isSeparator())
            captions << a->text();
    return captions;
}

QMenu* SubMenu(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a->menu();
    return nullptr;
}

QMenu* TopMenu(TMainForm& form, const QString& caption)
{
    for (QAction* a : form.menuBar()->actions())
        if (a->text() == caption)
            return a->menu();
    return nullptr;
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        form_ = std::make_unique<TMainForm>();
        form_->SetYesNoQuestion([this](const QString& q) {
            questions_ << q;
            return answer_;
        });
        questions_.clear();
    }
    void cleanup() { form_.reset(); }

    void FrameAtStart()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Pellar"));
        QCOMPARE(form_->size(), QSize(960, 680));
        QVERIFY(form_->MdiArea());
        QCOMPARE(form_->Timer1()->interval(), 100);
        QVERIFY(form_->Timer1()->isActive());
    }

    void MenusCarryTheirCaptions()
    {
        QCOMPARE(Captions(form_->menuBar()->actions()),
                 (QStringList{"&Session", "O&nline", "&Options", "&Windows", "&Help"}));
        QCOMPARE(Captions(TopMenu(*form_, "&Session")->actions()), (QStringList{"&Connect", "&Disconnect", "&Exit"}));
        QMenu* online = TopMenu(*form_, "O&nline");
        QCOMPARE(Captions(online->actions()), (QStringList{"&Conferences", "&Users", "&Session", "&Texts"}));
        QCOMPARE(Captions(SubMenu(online, "&Conferences")->actions()),
                 (QStringList{"Create &new...", "&Delete existing...", "&Rename...", "&Edit properties...",
                              "Change &presentation...", "&View presentation...", "Set &Message Of The Day...",
                              "Remove MO&TD...", "View &statistics...", "Set &priorities", "&Add member...",
                              "Re&move member..."}));
        QCOMPARE(Captions(SubMenu(online, "&Users")->actions()),
                 (QStringList{"Create &new...", "&Delete existing...", "&Rename...", "Change &presentation...",
                              "&View presentation...", "Set &Message Of The Day...", "Remove MO&TD...",
                              "Change &password...", "View &statistics..."}));
        QCOMPARE(Captions(SubMenu(online, "&Session")->actions()),
                 (QStringList{"Enable admin &privileges", "&Synchronize the database", "&Clear caches..."}));
        QCOMPARE(Captions(SubMenu(online, "&Texts")->actions()),
                 (QStringList{"Text &properties", "View &marked texts", "&Find text..."}));
        QCOMPARE(Captions(TopMenu(*form_, "&Options")->actions()), (QStringList{"&Settings...", "S&ervers..."}));
        QCOMPARE(Captions(TopMenu(*form_, "&Help")->actions()),
                 (QStringList{"&Index", "Help on this &window", "&Quick help", "&Statistics...", "&About"}));
        QVERIFY(form_->Menus()->QuickHelpItem->isVisible());
        QVERIFY(!form_->Menus()->SetPrioritiesItem->isVisible());
        QVERIFY(!form_->Menus()->SetPrioritiesItem->isEnabled());
    }

    void ActionsByNameWithShortcutsAndHints()
    {
        const std::map<QString, QKeySequence> shortcuts = {
            {"SessionConnectAction", {}},
            {"SessionDisconnectAction", {}},
            {"FindTextAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
            {"ViewMarkedAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)},
            {"PropertiesAction", QKeySequence(Qt::ALT | Qt::Key_Return)},
        };
        for (const auto& [name, keys] : shortcuts) {
            auto* action = form_->findChild<QAction*>(name);
            QVERIFY2(action, qPrintable(name));
            QCOMPARE(action->shortcut(), keys);
        }
        QCOMPARE(form_->Menus()->SessionConnectAction->statusTip(), QStringLiteral("Connect to a server"));
        QCOMPARE(form_->Menus()->SessionDisconnectAction->statusTip(), QStringLiteral("Disconnect from the server"));
    }

    void OnlineStateEnablesTheSessionCommands()
    {
        TMainMenus* m = form_->Menus();
        // Offline at start.
        QVERIFY(m->SessionConnectAction->isEnabled());
        QVERIFY(!m->SessionDisconnectAction->isEnabled());
        QVERIFY(!m->OnlineMenu->isEnabled());
        QVERIFY(!m->FindTextAction->isEnabled());

        QSignalSpy changed(form_.get(), &TMainForm::OnlineChanged);
        form_->SetOnline(true);
        QVERIFY(!m->SessionConnectAction->isEnabled());
        QVERIFY(m->SessionDisconnectAction->isEnabled());
        QVERIFY(m->OnlineMenu->isEnabled());
        for (QAction* a : {m->FindTextAction, m->ViewMarkedAction, m->PropertiesAction})
            QVERIFY(a->isEnabled());
        QVERIFY(!m->SyncItem->isEnabled()); // still needs administrator mode
        QVERIFY(!m->SetPrioritiesItem->isEnabled());

        form_->SetOnline(false);
        QVERIFY(m->SessionConnectAction->isEnabled());
        QVERIFY(!m->OnlineMenu->isEnabled());
        QVERIFY(!m->ViewMarkedAction->isEnabled());
        QCOMPARE(changed.size(), 2);
    }

    void AdminModeFollowsTheServerNotTheClick()
    {
        form_->SetOnline(true);
        TMainMenus* m = form_->Menus();
        QSignalSpy commands(form_.get(), &TMainForm::CommandRequested);
        m->AdminItem->trigger();
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.at(0).at(0).value<MainCommand>(), MainCommand::ToggleAdmin);
        QVERIFY(!m->AdminItem->isChecked());
        QVERIFY(!m->SyncItem->isEnabled());

        form_->SetAdminMode(true);
        QVERIFY(m->AdminItem->isChecked());
        QVERIFY(m->SyncItem->isEnabled());
        form_->SetOnline(false); // a new session starts without the privileges
        QVERIFY(!m->AdminItem->isChecked());
        QVERIFY(!m->SyncItem->isEnabled());
    }

    void EveryCommandItemAsksTheSessionLayer()
    {
        form_->SetOnline(true);
        form_->SetAdminMode(true);
        QSignalSpy commands(form_.get(), &TMainForm::CommandRequested);
        const auto& list = form_->Menus()->CommandActions();
        for (const auto& [action, command] : list) {
            action->trigger();
            QCOMPARE(commands.last().at(0).value<MainCommand>(), command);
        }
        QCOMPARE(commands.size(), int(list.size()));
        // And every command has an item that asks for it (Clear caches asks
        // the user first; ClearCachesAsksFirst covers it).
        std::set<MainCommand> offered{MainCommand::ClearCaches};
        for (const auto& entry : list)
            offered.insert(entry.second);
        for (int c = 0; c <= int(MainCommand::Statistics); ++c)
            QVERIFY2(offered.count(MainCommand(c)), qPrintable(QStringLiteral("no item asks for command %1").arg(c)));
    }

    void ConnectAndDisconnectActions()
    {
        TMainMenus* m = form_->Menus();
        QSignalSpy connects(form_.get(), &TMainForm::ConnectRequested);
        QSignalSpy disconnects(form_.get(), &TMainForm::DisconnectRequested);
        m->SessionConnectAction->trigger();
        QCOMPARE(connects.size(), 1);
        QCOMPARE(connects.at(0).at(0).toBool(), false);
        // While the logon runs only Disconnect is offered.
        QVERIFY(!m->SessionConnectAction->isEnabled());
        QVERIFY(m->SessionDisconnectAction->isEnabled());
        m->SessionDisconnectAction->trigger();
        QCOMPARE(disconnects.size(), 1);
        QVERIFY(m->SessionConnectAction->isEnabled());
    }

    void AutoConnectRunsOnceWithoutWaitingForATick()
    {
        QSignalSpy connects(form_.get(), &TMainForm::ConnectRequested);
        QSignalSpy ticks(form_.get(), &TMainForm::Ticked);
        // No tick comes: the logon still starts, at the event loop's next pass.
        form_->Timer1()->stop();
        form_->SetAutoConnect(true, QStringLiteral("work"));
        QVERIFY(connects.wait(2000));
        QCOMPARE(ticks.size(), 0);
        QCOMPARE(connects.at(0).at(0).toBool(), true);
        QCOMPARE(connects.at(0).at(1).toString(), QStringLiteral("work"));
        QVERIFY(!form_->AutoConnect());
        QVERIFY(form_->Timer1()->isActive()); // restarted after the connect
        const qsizetype seen = ticks.size();
        QTRY_VERIFY(ticks.size() > seen + 2);
        QCOMPARE(connects.size(), 1);
    }

    void ClearCachesAsksFirst()
    {
        QSignalSpy commands(form_.get(), &TMainForm::CommandRequested);
        answer_ = false;
        form_->Menus()->ClearCachesItem->trigger();
        QCOMPARE(questions_,
                 QStringList{QStringLiteral("This will clear all caches, including the edit buffer.\r\nAre you sure?")});
        QCOMPARE(commands.size(), 0);
        answer_ = true;
        form_->Menus()->ClearCachesItem->trigger();
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.at(0).at(0).value<MainCommand>(), MainCommand::ClearCaches);
    }

    void ExitClosesAndDisconnects()
    {
        form_->show();
        QSignalSpy disconnects(form_.get(), &TMainForm::DisconnectRequested);
        form_->Menus()->ExitItem->trigger();
        QVERIFY(!form_->isVisible());
        QCOMPARE(disconnects.size(), 1);
    }

    void StatusPanels()
    {
        form_->show();
        TMainStatusBar* bar = form_->StatusBar1();
        bar->SetNotice(QStringLiteral("<i>Anna</i> logged in."));
        QCOMPARE(bar->NoticePanel()->textFormat(), Qt::PlainText);
        bar->SetKeyCommand(QStringLiteral("k"));
        QCOMPARE(bar->KeyCommand(), QStringLiteral("k"));
        QCOMPARE(bar->KeyCommandPanel()->width(), 100);
        form_->resize(900, 500);
        QTRY_VERIFY(bar->NoticePanel()->width() > 600); // panel 0 takes the spare width
        const int busyTextWidth = bar->BusyPanel()->fontMetrics().horizontalAdvance(QStringLiteral("Working..."));
        QVERIFY(bar->BusyPanel()->width() > busyTextWidth + 4);

        bar->SetBusyText(QStringLiteral("Working..."));
        const QImage before = bar->BusyPanel()->grab().toImage();
        QSignalSpy ticks(form_.get(), &TMainForm::Ticked);
        QVERIFY(ticks.wait(2000));
        QTRY_VERIFY(bar->BusyPanel()->grab().toImage() != before); // the stripes move
        test::SaveScreenshot(form_.get(), QStringLiteral("main-window-busy"));
        bar->SetBusyText(QString());
        const QImage idle = bar->BusyPanel()->grab().toImage();
        QCOMPARE(idle.pixelColor(2, 2), bar->BusyPanel()->palette().color(QPalette::Button));
    }

    void StripeColoursFollowTheirWaves()
    {
        QCOMPARE(TBusyPanel::StripeColour(0, 0), QColor(191, 191, 191));
        // Red, green and blue run at different speeds and directions.
        const QColor a = TBusyPanel::StripeColour(5, 40);
        QCOMPARE(a.red(), int(std::lround(64 * std::sin((40.0 + 40) / 20) + 191)));
        QCOMPARE(a.green(), int(std::lround(64 * std::sin((35.0 - 40) / 23) + 191)));
        QCOMPARE(a.blue(), int(std::lround(64 * std::sin((30.0 + 40) / 36) + 191)));
    }

    void WindowsMenuListsAndActivatesChildren()
    {
        form_->show();
        auto* first = new QWidget;
        first->setWindowTitle(QStringLiteral("Read & write"));
        auto* second = new QWidget;
        second->setWindowTitle(QStringLiteral("Messages"));
        QMdiSubWindow* firstSub = form_->AddChildWindow(first);
        form_->AddChildWindow(second);
        form_->Windows()->Refresh();
        QStringList captions = Captions(form_->Menus()->WindowsMenu->actions());
        QCOMPARE(captions, (QStringList{"&Cascade", "&Tile", "&1 Read && write", "&2 Messages"}));
        form_->Menus()->WindowsMenu->actions().at(3)->trigger();
        QTRY_COMPARE(form_->MdiArea()->activeSubWindow(), firstSub);
        form_->Windows()->Refresh();
        QVERIFY(form_->Menus()->WindowsMenu->actions().at(3)->isChecked());
        QVERIFY(!form_->Menus()->WindowsMenu->actions().at(4)->isChecked());

        firstSub->close();
        delete firstSub;
        form_->Windows()->Refresh();
        QCOMPARE(Captions(form_->Menus()->WindowsMenu->actions()), (QStringList{"&Cascade", "&Tile", "&1 Messages"}));
    }

    // Maximised children put back the caption they saw when maximised; the
    // one in force wins whichever child is active or goes.
    void CaptionStaysThroughMaximisedChildren()
    {
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        auto* first = new QWidget;
        first->setWindowTitle(QStringLiteral("First"));
        QMdiSubWindow* firstSub = form_->AddChildWindow(first);
        firstSub->showMaximized();
        auto* second = new QWidget;
        second->setWindowTitle(QStringLiteral("Second"));
        QMdiSubWindow* secondSub = form_->AddChildWindow(second);
        secondSub->showMaximized();
        form_->SetCaption(QStringLiteral("Pellar (conf.example) Anna"));
        QTRY_VERIFY(form_->windowTitle().startsWith(QStringLiteral("Pellar (conf.example) Anna")));

        form_->MdiArea()->setActiveSubWindow(firstSub);
        QTRY_VERIFY2(form_->windowTitle().startsWith(QStringLiteral("Pellar (conf.example) Anna")),
                     qPrintable(form_->windowTitle()));
        form_->SetOnline(true);
        form_->SetOnline(false);
        QTRY_COMPARE(form_->Caption(), QStringLiteral("Pellar"));
        form_->MdiArea()->setActiveSubWindow(secondSub);
        QTRY_VERIFY2(!form_->windowTitle().contains(QStringLiteral("Anna")), qPrintable(form_->windowTitle()));
        firstSub->close();
        secondSub->close();
        QTRY_COMPARE(form_->windowTitle(), QStringLiteral("Pellar"));
    }

    // The red cross the style draws for errors and "No" is not the icon of
    // an everyday command.
    void NoErrorIconOnEverydayCommands()
    {
        QStyle* style = QApplication::style();
        const QImage cross = style->standardIcon(QStyle::SP_DialogNoButton).pixmap(16, 16).toImage();
        const QImage critical = style->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16, 16).toImage();
        for (QAction* action : form_->findChildren<QAction*>()) {
            if (action->icon().isNull())
                continue;
            const QImage image = action->icon().pixmap(16, 16).toImage();
            QVERIFY2(image != cross && image != critical, qPrintable(action->objectName()));
        }
        QVERIFY(!form_->Menus()->SessionDisconnectAction->icon().isNull());
    }

    void WindowSettings()
    {
        std::map<std::string, std::string> profile = {{"WindowPosLeft", "10"},
                                                      {"WindowPosTop", "20"},
                                                      {"WindowPosWidth", "700"},
                                                      {"WindowPosHeight", "nonsense"},
                                                      {"StartWindowSizeMode", "0"}};
        const auto read = [&](const std::string& key, const std::string& def) {
            const auto it = profile.find(key);
            return it == profile.end() ? def : it->second;
        };
        form_->ApplyWindowSettings(read);
        QVERIFY(form_->windowState() & Qt::WindowMaximized);
        QCOMPARE(form_->geometry().width(), 700);
        QCOMPARE(form_->geometry().height(), 680); // unreadable: left alone

        profile["StartWindowSizeMode"] = "bad";
        form_->ApplyWindowSettings(read);
        QCOMPARE(form_->windowState(), Qt::WindowNoState);

        std::map<std::string, std::string> saved;
        form_->SaveWindowPosition([&](const std::string& k, const std::string& v) { saved[k] = v; });
        QCOMPARE(saved.size(), size_t(4));
        QCOMPARE(saved["WindowPosWidth"], std::to_string(form_->geometry().width()));
        QCOMPARE(saved["WindowPosTop"], std::to_string(form_->geometry().top()));
    }

    void SavedGeometryIsClampedToTheScreen()
    {
        QScreen* screen = form_->screen();
        QVERIFY(screen);
        const QRect available = screen->availableGeometry();
        // Saved at twice the scale, with the title bar above the screen.
        std::map<std::string, std::string> profile = {
            {"WindowPosLeft", std::to_string(available.left() - 300)},
            {"WindowPosTop", std::to_string(available.top() - 50)},
            {"WindowPosWidth", std::to_string(available.width() * 2)},
            {"WindowPosHeight", std::to_string(available.height() * 2)}};
        const auto read = [&](const std::string& key, const std::string& def) {
            const auto it = profile.find(key);
            return it == profile.end() ? def : it->second;
        };
        form_->ApplyWindowSettings(read);
        const QRect frame = form_->geometry();
        QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(frame.x()).arg(frame.y())
                                                           .arg(frame.width()).arg(frame.height())));
        QVERIFY(frame.top() >= available.top() + kTitleBarAllowance);

        // A place and size that fit are kept as saved.
        profile = {{"WindowPosLeft", std::to_string(available.left() + 40)},
                   {"WindowPosTop", std::to_string(available.top() + 60)},
                   {"WindowPosWidth", "300"},
                   {"WindowPosHeight", "200"}};
        form_->ApplyWindowSettings(read);
        QCOMPARE(form_->geometry(), QRect(available.left() + 40, available.top() + 60, 300, 200));
    }

    void ClampKeepsWhatFitsAndMovesWhatDoesNot_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("fits") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("twice the scale") << QRect(0, 0, 3840, 2160) << QRect(0, 32, 1920, 1048);
        QTest::newRow("title bar above the screen") << QRect(50, -20, 800, 600) << QRect(50, 32, 800, 600);
        QTest::newRow("off to the right") << QRect(1800, 100, 800, 600) << QRect(1120, 100, 800, 600);
        QTest::newRow("off to the left and below") << QRect(-900, 900, 800, 600) << QRect(0, 480, 800, 600);
    }

    void ClampKeepsWhatFitsAndMovesWhatDoesNot()
    {
        QFETCH(QRect, saved);
        QFETCH(QRect, expected);
        QCOMPARE(ClampToScreen(saved, QRect(0, 0, 1920, 1080)), expected);
        // On a second screen to the right the same rules hold, shifted.
        QCOMPARE(ClampToScreen(saved.translated(1920, 0), QRect(1920, 0, 1920, 1080)), expected.translated(1920, 0));
    }

    void MarkReadFlushRunsAboutOnceAMinuteWhileOnline()
    {
        // Drive the clock by hand: the flush counts ticks, not seconds.
        form_->Timer1()->stop();
        const auto tick = [this](int n) {
            for (int i = 0; i < n; ++i)
                QVERIFY(QMetaObject::invokeMethod(form_->Timer1(), "timeout"));
        };
        QSignalSpy flushes(form_.get(), &TMainForm::MarkReadFlushDue);
        tick(700);
        QCOMPARE(flushes.size(), 0); // offline ticks do not count

        form_->SetOnline(true);
        tick(600);
        QCOMPARE(flushes.size(), 0);
        tick(1);
        QCOMPARE(flushes.size(), 1);
        tick(601);
        QCOMPARE(flushes.size(), 2);
        QCOMPARE(form_->TickCount(), 1902);
    }

private:
    std::unique_ptr<TMainForm> form_;
    QStringList questions_;
    bool answer_ = false;
};

QTEST_MAIN(MainFormTest)
#include "MainForm_test.moc"
