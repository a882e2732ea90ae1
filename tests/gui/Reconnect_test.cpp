// A server that goes away and comes back under a running session: the window
// keeps what it showed, marked offline, counts down to each try to log on
// again, and carries on where the reader was once the server is back; Cancel
// and Disconnect stop the tries, and the setting turns them off.
#include "support/gui/AppDriving.h"
#include "support/gui/LiveSession.h"
#include "support/gui/PreparedArticles.h"

#include "core/config/ConfigKeys.h"
#include "core/link/MVTransaction.h"
#include "core/session/MVCache.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppWindows.h"
#include "gui/writing/DraftOffers.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace pellar;

class ReconnectTest : public QObject {
    Q_OBJECT

private:
    // A session reading the notice of the day, with a try every second, over
    // a server that keeps its data in a file: the one that comes back knows
    // the same person, conferences and read marks.
    bool StartReading(pellar::test::LiveSession& session, std::unique_ptr<AppWindows>& windows)
    {
        session.persistent = true;
        std::string error;
        if (!session.Start(&error, [&windows](AppController& app) { windows = std::make_unique<AppWindows>(app); })) {
            qWarning("%s", error.c_str());
            return false;
        }
        session.App().SetReconnectBackoff(ReconnectBackoff({1}));
        const int32_t text = session.ClientContext().ServerInfo().MotdText;
        if (text <= 0)
            return false;
        if (!test::ShowAndWait(*windows->Reading(), text))
            return false;
        return windows->Reading()->ReadStatus().CurrentText() == text;
    }

    static QString Article(AppWindows& windows)
    {
        return windows.Reading()->ArticleView()->MainEdit()->toPlainText();
    }

private slots:
    void theScreenStaysWhileOfflineAndReadingGoesOnOnceTheServerIsBack()
    {
        pellar::test::LiveSession session;
        std::unique_ptr<AppWindows> windows;
        QVERIFY(StartReading(session, windows));
        AppController& app = session.App();
        TReadArticleForm* reading = windows->Reading();
        const int32_t text = reading->ReadStatus().CurrentText();
        const int32_t person = app.ClientContext().CurrentPerson();
        const QString article = Article(*windows);
        QVERIFY(article.contains(QStringLiteral("Welcome")));
        QTRY_VERIFY(reading->ConfListView()->RowCount() > 0);
        const int rows = reading->ConfListView()->RowCount();

        // A kept draft of this person here was offered at the logon (and
        // left for later); logging on again behind the user's back does not
        // ask about it again.
        Draft draft;
        draft.id = windows->Drafts().Store().NewId();
        draft.profile = app.ClientContext().Config().ProfilePath();
        draft.place = app.WritingPort().Here();
        draft.subject = "Left for later";
        draft.body = "Kept";
        QVERIFY(windows->Drafts().Store().Save(draft));
        int offers = 0;
        windows->Drafts().SetOfferAnswerer([&offers](const QString&) {
            ++offers;
            return DraftOffers::Offer::Later;
        });

        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(!app.MainWindow().IsOnline(), 5000);
        QVERIFY(app.IsReconnecting());
        // Offline, but nothing on screen was thrown away, and no box asked.
        QCOMPARE(reading->ConfListView()->RowCount(), rows);
        QCOMPARE(Article(*windows), article);
        QCOMPARE(reading->ReadStatus().CurrentText(), text);
        QVERIFY(session.messages.empty());
        TMainStatusBar* bar = app.MainWindow().StatusBar1();
        QVERIFY(bar->ReconnectPanel()->isVisibleTo(bar));
        QVERIFY(bar->ReconnectCancelButton()->isVisibleTo(bar));
        QVERIFY2(bar->Reconnect().contains(QStringLiteral("again")), qPrintable(bar->Reconnect()));
        QVERIFY(!app.MainWindow().Menus()->OnlineMenu->isEnabled());
        // A try while the server is away fails, and the next is counted down to.
        QTRY_VERIFY_WITH_TIMEOUT(bar->ReconnectPanel()->toolTip().contains(QStringLiteral("127.0.0.1")), 10000);
        QVERIFY(app.IsReconnecting());
        QVERIFY(!app.MainWindow().IsOnline());

        std::string error;
        QVERIFY2(session.RestartServer(&error), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(app.MainWindow().IsOnline(), 15000);
        QVERIFY(!app.IsReconnecting());
        QVERIFY(!bar->ReconnectPanel()->isVisibleTo(bar));
        QCOMPARE(app.ClientContext().CurrentPerson(), person);
        QCOMPARE(reading->ReadStatus().CurrentText(), text);
        QCOMPARE(Article(*windows), article);
        QTRY_VERIFY(reading->ConfListView()->RowCount() > 0);
        QVERIFY(session.messages.empty());
        QCoreApplication::processEvents();
        QCOMPARE(offers, 0);
        // A logon the user asks for offers it as before.
        app.Disconnect();
        QVERIFY(pellar::test::ConnectThroughLogin(app, session.ServerPort()));
        QTRY_COMPARE(offers, 1);
        windows->Drafts().SetOfferAnswerer({});
        windows->Drafts().Store().Remove(draft.id);
        // The session works: a request gets its answer.
        TGenericTrans ping(app.ClientContext().Protocol(), "Get time", requests::GetTime());
        QVERIFY(app.ClientContext().Transactions().ExecuteAndWait(ping));
        QVERIFY(app.ClientContext().Cache().GetMembership(reading->ReadStatus().Conference()) ||
                reading->ReadStatus().Conference() == 0);

        app.Disconnect();
        windows.reset();
        session.Stop();
    }

    void cancelStopsTheTriesAndDisconnectEndsTheKeptSession()
    {
        pellar::test::LiveSession session;
        std::unique_ptr<AppWindows> windows;
        QVERIFY(StartReading(session, windows));
        AppController& app = session.App();
        TReadArticleForm* reading = windows->Reading();
        const QString article = Article(*windows);
        QTRY_VERIFY(reading->ConfListView()->RowCount() > 0);

        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(app.IsReconnecting(), 5000);
        TMainStatusBar* bar = app.MainWindow().StatusBar1();
        QTest::mouseClick(bar->ReconnectCancelButton(), Qt::LeftButton);
        QVERIFY(!app.IsReconnecting());
        QVERIFY(!bar->ReconnectPanel()->isVisibleTo(bar));
        std::string error;
        QVERIFY2(session.RestartServer(&error), error.c_str());
        // Nothing tries any more: a try would have come within a second.
        QTest::qWait(2500);
        QVERIFY(!app.MainWindow().IsOnline());
        QCOMPARE(Article(*windows), article);
        QVERIFY(reading->ConfListView()->RowCount() > 0);

        // Disconnect ends the session that was kept on screen.
        app.Disconnect();
        QCOMPARE(reading->ConfListView()->RowCount(), 0);
        QVERIFY(Article(*windows).isEmpty());

        windows.reset();
        session.Stop();
    }

    void disconnectDuringTheCountdownStopsTheTries()
    {
        pellar::test::LiveSession session;
        std::unique_ptr<AppWindows> windows;
        QVERIFY(StartReading(session, windows));
        AppController& app = session.App();
        app.SetReconnectBackoff(ReconnectBackoff({2}));
        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(app.IsReconnecting(), 5000);
        // The status bar counts the seconds down.
        TMainStatusBar* bar = app.MainWindow().StatusBar1();
        QCOMPARE(app.ReconnectSecondsLeft(), 2);
        QVERIFY2(bar->Reconnect().contains(QStringLiteral(" 2 s")), qPrintable(bar->Reconnect()));
        QTRY_COMPARE(app.ReconnectSecondsLeft(), 1);
        QVERIFY2(bar->Reconnect().contains(QStringLiteral(" 1 s")), qPrintable(bar->Reconnect()));
        QVERIFY(app.MainWindow().Menus()->SessionDisconnectAction->isEnabled());
        app.MainWindow().Menus()->SessionDisconnectAction->trigger();
        QVERIFY(!app.IsReconnecting());
        QCOMPARE(windows->Reading()->ConfListView()->RowCount(), 0);
        std::string error;
        QVERIFY2(session.RestartServer(&error), error.c_str());
        QTest::qWait(2500);
        QVERIFY(!app.MainWindow().IsOnline());

        windows.reset();
        session.Stop();
    }

    void withTheSettingOffALostLinkEndsTheSession()
    {
        pellar::test::LiveSession session;
        std::unique_ptr<AppWindows> windows;
        QVERIFY(StartReading(session, windows));
        AppController& app = session.App();
        app.ClientContext().Config().WriteString(ConfigKeys::AutoReconnect, "0");
        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(!app.MainWindow().IsOnline(), 5000);
        QVERIFY(!app.IsReconnecting());
        QTRY_VERIFY(!session.messages.empty());
        QCOMPARE(session.messages.back(), QStringLiteral("The connection to the server was lost."));
        QCOMPARE(windows->Reading()->ConfListView()->RowCount(), 0);

        windows.reset();
        session.Stop();
    }
};

QTEST_MAIN(ReconnectTest)
#include "Reconnect_test.moc"
