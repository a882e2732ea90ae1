// The messages windows against an in-process server: a second session sends
// messages to the logged-on person, who reads them in the main messages
// window or a chat window, answers them automatically while away, and sends.
#include "gui/events/MessagesForm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "core/config/ConfigKeys.h"
#include "core/events/TAsyncMsgThread.h"
#include "core/link/MVTransaction.h"
#include "core/wire/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "gui/events/EventsController.h"
#include "gui/events/IconTaskBar.h"
#include "gui/shell/MainForm.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"
#include "server/Server.h"

#include <QTextCursor>
#include <QTextDocument>

#include "support/gui/GuiTestSupport.h"
#include "support/gui/MessagingSessions.h"

using namespace pellar;

namespace {


QString Log(TMessagesForm* form)
{
    return form->IncomingEdit()->toPlainText();
}

} // namespace

class MessagesFormTest : public QObject, private test::MessagingSessions {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::string error;
        const bool started = Start(&error, [this] {
            events = std::make_unique<EventsController>(*meEvents, *meWriting, *main);
            events->SetEnabled(true);
        });
        QVERIFY2(started, error.c_str());
        events->UpdateActions();
    }

    void cleanupTestCase() { Stop(); }

    void messageFromASecondSessionAppearsInTheMainWindow()
    {
        TMessagesForm* messages = events->MainMessages();
        QVERIFY(messages->SendMessageAction()->isEnabled());
        // A colour chosen in the settings (blue, as 0x00BBGGRR) is drawn.
        me->client.Config().WriteString("MessageFont", "Arial;10;$FF0000;");
        QVERIFY(anna->Send(me->client.CurrentPerson(), "Hello there\nsecond line"));
        QTRY_VERIFY(Log(messages).contains(QStringLiteral("Hello there\nsecond line")));
        const QTextCursor hello = messages->IncomingEdit()->document()->find(QStringLiteral("Hello there"));
        QVERIFY(!hello.isNull());
        QCOMPARE(hello.charFormat().foreground().color(), QColor(0, 0, 255));
        me->client.Config().WriteString("MessageFont", "");
        QVERIFY(Log(messages).contains(QStringLiteral("to Demo User\nfrom Anna Berg:\n")));
        QVERIFY(Log(messages).contains(QString(94, QLatin1Char('='))));
    }

    void theWindowKeepsItsNewestBlocksAndShowsDropNotices()
    {
        TMessagesForm* messages = events->MainMessages();
        me->client.Config().WriteString(ConfigKeys::MessagesKept, "40");
        IncomingMessage flood;
        flood.sender = anna->client.CurrentPerson();
        flood.senderName = "Anna Berg";
        for (int i = 0; i < 60; ++i) {
            flood.text = "flood " + std::to_string(i);
            QVERIFY(messages->Deliver(flood, false));
        }
        // A burst is trimmed to the bound and shown from its end once the
        // event loop turns; between trims the window may hold an eighth more.
        QCoreApplication::sendPostedEvents();
        QVERIFY(messages->IncomingEdit()->document()->blockCount() <= 40);
        const int slack = 40 + 40 / 8;
        QVERIFY(messages->IncomingEdit()->textCursor().atEnd());
        // Nor does an undo history keep what was dropped.
        QVERIFY(!messages->IncomingEdit()->document()->isUndoAvailable());
        QVERIFY(Log(messages).contains(QStringLiteral("flood 59")));
        QVERIFY(!Log(messages).contains(QStringLiteral("flood 1\n")));
        // One message cannot take the window's memory either.
        // The names come with the message, resolved off the GUI thread: the
        // window shows them as given and asks the server for nothing.
        IncomingMessage named;
        named.sender = 424242;
        named.senderName = "Someone Far Away";
        named.recipient = me->client.CurrentPerson();
        named.recipientName = "The Reader";
        named.text = "resolved elsewhere";
        QVERIFY(messages->Deliver(named, false));
        QVERIFY(Log(messages).contains(QStringLiteral("to The Reader\nfrom Someone Far Away:\n\nresolved elsewhere")));
        flood.text = std::string(20000, 'x');
        QVERIFY(messages->Deliver(flood, false));
        QVERIFY(Log(messages).contains(QStringLiteral("more characters not shown]")));
        QVERIFY(!Log(messages).contains(QString(20000, QLatin1Char('x'))));
        QCoreApplication::sendPostedEvents();
        QVERIFY(messages->IncomingEdit()->document()->blockCount() <= slack);
        events->MessagesDropped("*** 7 messages from Anna Berg to everyone were dropped: they came faster than they "
                                "could be shown.");
        QVERIFY(Log(messages).contains(QStringLiteral("*** 7 messages from Anna Berg to everyone were dropped")));
        me->client.Config().WriteString(ConfigKeys::MessagesKept, "");
        messages->IncomingEdit()->clear();
    }

    void chatWindowTakesItsPartnersPersonalMessagesAlone()
    {
        TMessagesForm* messages = events->MainMessages();
        TMessagesForm* chat = events->OpenChat(anna->client.CurrentPerson());
        QVERIFY(!chat->TargetEdit()->isEnabled());
        QVERIFY(!chat->SentToAllCheckBox()->isEnabled());
        QVERIFY(anna->Send(me->client.CurrentPerson(), "Only for the chat"));
        QTRY_VERIFY(Log(chat).contains(QStringLiteral("Only for the chat")));
        QVERIFY(!Log(messages).contains(QStringLiteral("Only for the chat")));

        // To everyone: the chat (second pass) and the plain window both.
        QVERIFY(anna->Send(0, "For all of you"));
        QTRY_VERIFY(Log(chat).contains(QStringLiteral("For all of you")));
        QVERIFY(Log(messages).contains(QStringLiteral("For all of you\n")));
        QVERIFY(Log(messages).contains(QStringLiteral("to Everyone\nfrom Anna Berg:")));

        QSignalSpy gone(chat, &QObject::destroyed);
        chat->close();
        QVERIFY(gone.count() == 1 || gone.wait(5000));
        QCOMPARE(events->Dispatcher().Router().Count(), 1);
    }

    void awayWindowAnswersEachSenderOnceAMinute()
    {
        TMessagesForm* messages = events->MainMessages();
        messages->GoOfflineActionExecute();
        TOfflineMessageForm* away = messages->AwayForm();
        QVERIFY(away);
        QVERIFY(messages->Away());
        away->SetMessage(QStringLiteral("Back soon\r\n\n"));
        test::Received(*anna);
        QVERIFY(anna->Send(me->client.CurrentPerson(), "Are you there?"));
        QTRY_VERIFY(test::Received(*anna).contains(QStringLiteral("Back soon")));
        QCOMPARE(away->SendCountEdit()->text(), QStringLiteral("1"));

        QVERIFY(anna->Send(me->client.CurrentPerson(), "Still there?"));
        QTRY_VERIFY(Log(messages).contains(QStringLiteral("Still there?")));
        QCOMPARE(away->SendCountEdit()->text(), QStringLiteral("1"));
        // A message to everyone gets no answer unless asked for.
        QVERIFY(anna->Send(0, "Lunch, anyone?"));
        QTRY_VERIFY(Log(messages).contains(QStringLiteral("Lunch, anyone?")));
        QCOMPARE(away->SendCountEdit()->text(), QStringLiteral("1"));

        away->close();
        QTRY_VERIFY(!messages->AwayForm());
        QVERIFY(!messages->Away());
    }

    void sendingDropsTrailingEmptyLinesAndLogsTheEntry()
    {
        TMessagesForm* messages = events->MainMessages();
        events->Tray()->SetUseTray(false);
        events->Tray()->ShowIcon(2);
        messages->SentToAllCheckBox()->setChecked(true);
        QVERIFY(!messages->TargetEdit()->isEnabled());
        messages->WriteMsgMemo()->setPlainText(QStringLiteral("word\n\n"));
        test::Received(*anna);
        messages->SendMessageAction()->trigger();
        QTRY_VERIFY(test::Received(*anna).contains(QStringLiteral("word")));
        QVERIFY(!events->Tray()->Visible());
        QVERIFY(messages->WriteMsgMemo()->toPlainText().isEmpty());
        QTRY_VERIFY(Log(messages).contains(QStringLiteral(" to all users\nword\n")));
        QVERIFY(Log(messages).contains(QString(94, QLatin1Char('-'))));
        messages->SentToAllCheckBox()->setChecked(false);

        Screenshot();
    }

    void sendingOfflineSaysNotConnected()
    {
        Client offline(test::QuietClientOptions());
        ClientWritingSession offlineWriting(offline);
        MessageRouter router;
        TMessagesForm form(offlineWriting, router, nullptr, nullptr);
        QCOMPARE(router.Count(), 1);
        QVERIFY(!form.SendMessageAction()->isEnabled());
        form.WriteMsgMemo()->setPlainText(QStringLiteral("hello"));
        form.SendMessageActionExecute();
        std::string posted;
        QVERIFY(offline.UserMessages().Pop(posted));
        QCOMPARE(QString::fromStdString(posted), QStringLiteral("!Not connected"));
        QCOMPARE(form.WriteMsgMemo()->toPlainText(), QStringLiteral("hello"));
    }

private:
    void Screenshot()
    {
        const QString dir = qEnvironmentVariable("PELLAR_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        TMessagesForm* messages = events->MainMessages();
        events->ShowWindow(messages);
        messages->parentWidget()->resize(660, 500);
        messages->WriteMsgMemo()->setPlainText(QStringLiteral("See you at the meeting."));
        QTRY_VERIFY(messages->isVisible() && messages->width() > 600);
        QVERIFY(messages->grab().save(dir + QStringLiteral("/messages-window.png")));
        QVERIFY(main->grab().save(dir + QStringLiteral("/messages-in-frame.png")));
        messages->WriteMsgMemo()->clear();
    }

};

QTEST_MAIN(MessagesFormTest)
#include "MessagesForm_test.moc"
