// Desktop notifications through the notifier port: what the alert settings
// select sends one with the sender and the first line, what they leave out
// sends none, a click brings up the window it is about, and without a
// notification service the tray alone alerts.
#include "gui/events/DesktopNotifier.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/events/EventsController.h"
#include "gui/events/IconTaskBar.h"
#include "gui/events/MessagesForm.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/shell/MainForm.h"
#include "server/Server.h"

#include "support/gui/GuiTestSupport.h"
#include "support/gui/MessagingSessions.h"

using namespace pellar;

namespace {

class FakeNotifier : public DesktopNotifier {
public:
    struct Shown {
        QString title, body, tag;
    };
    bool available = true;
    QList<Shown> shown;

    bool Available() override { return available; }
    void Show(const QString& title, const QString& body, const QString& tag) override
    {
        shown.append({title, body, tag});
    }
    void Click(const QString& tag) { emit Activated(tag); }
};

} // namespace

class NotificationsTest : public QObject, private test::MessagingSessions {
    Q_OBJECT

private:
    // Sends from Anna and waits until the message is in the messages window.
    void Deliver(int32_t recipient, const std::string& text)
    {
        QVERIFY(anna->Send(recipient, text));
        QTRY_VERIFY(events->MainMessages()->IncomingEdit()->toPlainText().contains(QString::fromStdString(text)));
    }

    // Messages are handled one after the other: once a later one is shown,
    // every alert of the earlier ones has been raised. Only while messages
    // to everyone raise no alert.
    void Settle()
    {
        Deliver(0, "settle " + std::to_string(++settled_));
    }

    void SetAlerts(bool personal, bool all)
    {
        TMiravoConfiguration& config = me->client.Config();
        config.WriteFlag(ConfigKeys::TrayPersMsg, personal);
        config.WriteFlag(ConfigKeys::TrayAllMsg, all);
    }

    FakeNotifier notifier_;
    int settled_ = 0;

private slots:
    void initTestCase()
    {
        std::string error;
        const bool started = Start(&error, [this] {
            events = std::make_unique<EventsController>(*meEvents, *meWriting, *main);
            events->SetNotifier(&notifier_);
            events->SetEnabled(true);
        });
        QVERIFY2(started, error.c_str());
        events->UpdateActions();
    }

    void cleanupTestCase() { Stop(); }

    void init()
    {
        notifier_.shown.clear();
        notifier_.available = true;
        events->Tray()->HideIcon();
    }

    void personalMessageWithTheAlertOnNotifiesWithSenderAndFirstLine()
    {
        SetAlerts(true, false);
        Deliver(me->client.CurrentPerson(), "Lunch at noon?\nThe usual place.");
        QTRY_COMPARE(notifier_.shown.size(), 1);
        QCOMPARE(notifier_.shown[0].title, QStringLiteral("Message from Anna Berg"));
        QCOMPARE(notifier_.shown[0].body, QStringLiteral("Lunch at noon?"));
        QCOMPARE(events->Tray()->State(), 2);

        // A message to everyone is not personal: that alert does not cover it.
        Deliver(0, "Server restarts tonight");
        Settle();
        QCOMPARE(notifier_.shown.size(), 1);
    }

    void alertsOffSendNone()
    {
        SetAlerts(false, false);
        Deliver(me->client.CurrentPerson(), "Nobody should be told");
        Deliver(0, "Nor about this");
        Settle();
        QVERIFY(notifier_.shown.isEmpty());
        QVERIFY(!events->Tray()->Visible());
    }

    void groupMessagesWhenAllMessagesAreSelected()
    {
        SetAlerts(false, true);
        Deliver(0, "Coffee in the kitchen");
        QTRY_COMPARE(notifier_.shown.size(), 1);
        QCOMPARE(notifier_.shown[0].title, QStringLiteral("Message from Anna Berg to Everyone"));
        QCOMPARE(notifier_.shown[0].body, QStringLiteral("Coffee in the kitchen"));
    }

    void withoutAServiceTheTrayAloneAlerts()
    {
        SetAlerts(true, false);
        notifier_.available = false;
        Deliver(me->client.CurrentPerson(), "Anyone there?");
        QTRY_VERIFY(events->Tray()->Visible());
        QCOMPARE(events->Tray()->State(), 2);
        Settle();
        QVERIFY(notifier_.shown.isEmpty());
    }

    void clickingAMessageNotificationShowsTheMessagesWindow()
    {
        SetAlerts(true, false);
        Deliver(me->client.CurrentPerson(), "Click me");
        QTRY_COMPARE(notifier_.shown.size(), 1);
        // Something else in front first, so the click has to change it.
        main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(events->ActiveUsers()->parentWidget()));
        QVERIFY(main->MdiArea()->activeSubWindow()->widget() != events->MainMessages());
        notifier_.Click(notifier_.shown[0].tag);
        QTRY_COMPARE(main->MdiArea()->activeSubWindow()->widget(), static_cast<QWidget*>(events->MainMessages()));
        QVERIFY(!events->Tray()->Visible());
    }

    void aNewTextNotificationAsksForThatText()
    {
        SetAlerts(false, false);
        QSignalSpy reading(events.get(), &EventsController::ShowTextRequested);
        notifier_.Click(QStringLiteral("text:4711"));
        QCOMPARE(reading.count(), 1);
        QCOMPARE(reading.at(0).at(0).value<int32_t>(), 4711);
    }
};

QTEST_MAIN(NotificationsTest)
#include "Notifications_test.moc"
