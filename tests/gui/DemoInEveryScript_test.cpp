// The demo as it starts: the whole program on its embedded server in UTF-8.
// The first unread text is Greek and reads as Greek, a person with a Greek
// name sends a message with emoji and it shows as sent. With
// PELLAR_SCREENSHOT_DIR set, the main window is saved as
// demo-every-script.png.
#include "support/gui/AppDriving.h"

#include "core/session/Client.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pellar;

class DemoInEveryScriptTest : public QObject {
    Q_OBJECT

private slots:
    void greekTextReadAndAMessageWithEmoji()
    {
        QTemporaryDir state;
        AppController app(test::QuietAppOptionsWithGreetingTimeout(state));
        AppWindows windows(app);
        app.MainWindow().resize(1180, 820);
        app.MainWindow().show();
        std::string error;
        QVERIFY2(app.StartDemo({}, &error, 1000), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(app.MainWindow().IsOnline(), 20000);
        QCOMPARE(ActiveWireCharset(), WireCharset::Utf8);

        TReadArticleForm* reading = windows.Reading();
        QVERIFY(reading);
        QSignalSpy shown(reading, &TReadArticleForm::TextShown);
        QTRY_VERIFY(reading->Actions()->ReadNextAction()->isEnabled());
        reading->ReadNext();
        QTRY_COMPARE(shown.count(), 1);
        QTRY_COMPARE(reading->BusyCount(), 0);
        const QString article = reading->ArticleView()->MainEdit()->toPlainText();
        QVERIFY2(article.contains(QStringLiteral("Ελληνικά στο σύστημα")), qPrintable(article));
        QVERIFY(article.contains(QStringLiteral("Καλημέρα σε όλους!")));
        QVERIFY(article.contains(QStringLiteral("Ελένη Παπαδοπούλου")));

        test::SessionClient eleni(app.DemoPort(), QStringLiteral("Ελένη Παπαδοπούλου").toUtf8().toStdString());
        QVERIFY(eleni.logon.LogOn());
        const QString message = QStringLiteral("Καλησπέρα! Ο καφές είναι έτοιμος ☕🎉 お茶もあります");
        QVERIFY(eleni.Send(app.ClientContext().CurrentPerson(), message.toUtf8().toStdString()));
        TMessagesForm* messages = windows.Events().MainMessages();
        QTRY_VERIFY(messages->IncomingEdit()->toPlainText().contains(message));
        QVERIFY(messages->IncomingEdit()->toPlainText().contains(QStringLiteral("from Ελένη Παπαδοπούλου")));

        // Side by side in the frame for the picture: reading left, messages right.
        windows.Events().ShowWindow(messages);
        if (auto* area = app.MainWindow().findChild<QMdiArea*>()) {
            const QList<QMdiSubWindow*> subs = area->subWindowList();
            const QSize room = area->viewport()->size();
            for (QMdiSubWindow* sub : subs) {
                if (sub->widget() == messages || sub->isAncestorOf(messages))
                    sub->setGeometry(room.width() * 58 / 100, 0, room.width() * 42 / 100, room.height());
                else if (sub->isAncestorOf(reading) || sub->widget() == reading)
                    sub->setGeometry(0, 0, room.width() * 58 / 100, room.height());
            }
        }
        pellar::test::SaveScreenshot(&app.MainWindow(), QStringLiteral("demo-every-script"));
        app.Disconnect();
    }
};

QTEST_MAIN(DemoInEveryScriptTest)
#include "DemoInEveryScript_test.moc"
