// The tray indicator's two states and its mouse events. Offscreen there is
// no tray, so the fallback (asking for attention) is what shows.
#include "gui/events/IconTaskBar.h"

#include "core/events/ClientEventsSession.h"
#include "core/session/Client.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/events/EventsController.h"
#include "gui/shell/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

using namespace pellar;

class IconTaskBarTest : public QObject {
    Q_OBJECT

private slots:
    void showingTwiceKeepsOneEntryAndTheLaterState()
    {
        QMainWindow main;
        TIconTaskBar tray(&main);
        tray.SetUseTray(false);
        QSignalSpy shown(&tray, &TIconTaskBar::OnShow);
        QSignalSpy closed(&tray, &TIconTaskBar::OnClose);
        tray.ShowIcon(1);
        tray.ShowIcon(2);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(tray.State(), 2);
        QVERIFY(tray.Visible());

        tray.HideIcon();
        tray.HideIcon();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!tray.Visible());
        QCOMPARE(tray.State(), 2);  // the double-click handler still reads why
    }

    void changingTheIconOfAShownIndicatorShowsItAgainWithItsState()
    {
        QMainWindow main;
        TIconTaskBar tray(&main);
        tray.SetUseTray(false);
        QSignalSpy shown(&tray, &TIconTaskBar::OnShow);
        QSignalSpy closed(&tray, &TIconTaskBar::OnClose);
        tray.SetIcon(QIcon());
        QCOMPARE(shown.count(), 0);
        tray.ShowIcon(1);
        tray.SetIcon(QIcon());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(shown.count(), 2);
        QCOMPARE(tray.State(), 1);
        QVERIFY(tray.Visible());
    }

    void permanentIconStaysBetweenAlertsWithTheUnreadCount()
    {
        QMainWindow main;
        TIconTaskBar tray(&main);
        // A tray object even where the platform has none: what it is told
        // to show is what is checked.
        tray.SetUseTray(true);
        QSystemTrayIcon* icon = tray.TrayIcon();
        QVERIFY(icon);
        QVERIFY(!icon->isVisible());  // off by default: today's behaviour

        tray.SetPermanent(true);
        tray.SetUnreadCount(3);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QStringLiteral("Pellar: 3 unread texts"));
        QVERIFY(!tray.Visible());  // no alert is up

        // An alert takes the icon over; once it is seen the count is back.
        tray.SetHint(QStringLiteral("New message"));
        tray.ShowIcon(2);
        QCOMPARE(icon->toolTip(), QStringLiteral("New message"));
        tray.HideIcon();
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QStringLiteral("Pellar: 3 unread texts"));
        tray.SetUnreadCount(1);
        QCOMPARE(icon->toolTip(), QStringLiteral("Pellar: 1 unread text"));

        tray.SetPermanent(false);
        QVERIFY(!icon->isVisible());
        tray.SetUnreadCount(7);
        QVERIFY(!icon->isVisible());
    }

    void countIconCarriesABadgeOnlyForUnreadTexts()
    {
        QPixmap plain(64, 64);
        plain.fill(Qt::blue);
        const QIcon base(plain);
        QCOMPARE(TIconTaskBar::CountIcon(base, 0).pixmap(64, 64).toImage(), plain.toImage());
        const QImage badged = TIconTaskBar::CountIcon(base, 12).pixmap(64, 64).toImage();
        QCOMPARE(badged.size(), QSize(64, 64));
        // The lower right corner changed, the upper left did not.
        QVERIFY(badged.pixelColor(54, 48) != QColor(Qt::blue));
        QCOMPARE(badged.pixelColor(4, 4), QColor(Qt::blue));
        QCOMPARE(TIconTaskBar::CountText(0), QStringLiteral("Pellar: no unread texts"));
    }

    void activationsBecomeMouseEvents()
    {
        QMainWindow main;
        TIconTaskBar tray(&main);
        QSignalSpy events(&tray, &TIconTaskBar::OnEvent);
        QSignalSpy down(&tray, &TIconTaskBar::OnMouseDown);
        QSignalSpy clicks(&tray, &TIconTaskBar::OnClick);
        QSignalSpy doubles(&tray, &TIconTaskBar::OnDblClick);
        tray.HandleActivation(QSystemTrayIcon::Trigger);
        tray.HandleActivation(QSystemTrayIcon::Context);
        tray.HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(events.count(), 3);
        QCOMPARE(down.count(), 2);
        QCOMPARE(down.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(down.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(doubles.count(), 1);
    }

    void doubleClickShowsTheWindowTheAlertWasFor()
    {
        ClientOptions options;
        options.debugLog = options.receiveTrace = false;
        options.stateDir = QDir::tempPath().toStdString();
        Client offline(options);
        ClientEventsSession offlineEvents(offline);
        ClientWritingSession offlineWriting(offline);
        TMainForm main;
        main.show();
        EventsController events(offlineEvents, offlineWriting, main);
        events.Tray()->SetUseTray(false);
        QSignalSpy reading(&events, &EventsController::ShowReadingWindowRequested);
        QWidget* messagesFrame = events.MainMessages()->parentWidget();
        QVERIFY(messagesFrame->isMinimized());

        events.ShowTray(TrayAlert::Message);
        events.Tray()->HandleActivation(QSystemTrayIcon::DoubleClick);
        QVERIFY(!events.Tray()->Visible());
        QVERIFY(!messagesFrame->isMinimized());
        QCOMPARE(reading.count(), 0);

        events.ShowTray(TrayAlert::ImportantText);
        events.Tray()->HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(reading.count(), 1);
        QVERIFY(!events.Tray()->Visible());
    }

    void aSingleClickShowsOrHidesTheWindowAndAnswersAnAlert()
    {
        ClientOptions options;
        options.debugLog = options.receiveTrace = false;
        options.stateDir = QDir::tempPath().toStdString();
        Client offline(options);
        ClientEventsSession offlineEvents(offline);
        ClientWritingSession offlineWriting(offline);
        TMainForm main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        EventsController events(offlineEvents, offlineWriting, main);
        events.Tray()->SetUseTray(false);

        events.Tray()->HandleActivation(QSystemTrayIcon::Trigger);
        QVERIFY(!main.isVisible());
        events.Tray()->HandleActivation(QSystemTrayIcon::Trigger);
        QVERIFY(main.isVisible());
        QVERIFY(!main.isMinimized());
        main.showMinimized();
        QTRY_VERIFY(main.isMinimized());
        events.Tray()->HandleActivation(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(!main.isMinimized());
        QVERIFY(main.isVisible());

        // With an alert up, the click shows what it was for and keeps the
        // window in view.
        QWidget* messagesFrame = events.MainMessages()->parentWidget();
        QVERIFY(messagesFrame->isMinimized());
        events.ShowTray(TrayAlert::Message);
        events.Tray()->HandleActivation(QSystemTrayIcon::Trigger);
        QVERIFY(!events.Tray()->Visible());
        QVERIFY(!messagesFrame->isMinimized());
        QVERIFY(main.isVisible());
        // A right click opens no window and hides none.
        events.Tray()->HandleActivation(QSystemTrayIcon::Context);
        QVERIFY(main.isVisible());
    }

    void hidingOrMinimisingTheMainWindowTakesTheIndicatorAway()
    {
        ClientOptions options;
        options.debugLog = options.receiveTrace = false;
        options.stateDir = QDir::tempPath().toStdString();
        Client offline(options);
        ClientEventsSession offlineEvents(offline);
        ClientWritingSession offlineWriting(offline);
        TMainForm main;
        main.show();
        EventsController events(offlineEvents, offlineWriting, main);
        events.Tray()->SetUseTray(false);

        events.ShowTray(TrayAlert::Message);
        QVERIFY(events.Tray()->Visible());
        main.showMinimized();
        QTRY_VERIFY(!events.Tray()->Visible());

        main.showNormal();
        events.ShowTray(TrayAlert::ImportantText);
        QVERIFY(events.Tray()->Visible());
        main.hide();
        QTRY_VERIFY(!events.Tray()->Visible());
    }
};

QTEST_MAIN(IconTaskBarTest)
#include "IconTaskBar_test.moc"
