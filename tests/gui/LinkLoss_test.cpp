// Losing the server under a running session: the window goes offline by
// itself, says why, offers only what works offline, and a request made
// meanwhile fails instead of waiting.
#include "support/gui/LiveSession.h"
#include "support/gui/PreparedArticles.h"

#include "core/config/ConfigKeys.h"
#include "core/link/MVTransaction.h"
#include "core/link/TMVCommunicationThread.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "gui/events/EventsController.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/shell/AppWindows.h"
#include "gui/common/MainStatusBar.h"

#include <QTest>

using namespace pellar;

namespace {

// A text of the demo data that comments another one, and that one; zeros
// when there is none.
std::pair<int32_t, int32_t> SomeComment(Client& client)
{
    for (int32_t n = 1; n < 400; ++n) {
        const auto stat = client.Cache().GetTextStat(n);
        int32_t parent = 0;
        if (stat)
            stat->ForEachMiscInfo<TMiscInfoCommTo>([&parent](const TMiscInfoCommTo& link) { parent = link.textNo; });
        if (parent > 0)
            return {n, parent};
    }
    return {0, 0};
}

} // namespace

class LinkLossTest : public QObject {
    Q_OBJECT

private slots:
    void aLostLinkTakesTheWindowOfflineWithAMessage()
    {
        pellar::test::LiveSession session;
        std::unique_ptr<AppWindows> windows;
        std::string error;
        QVERIFY2(session.Start(&error, [&windows](AppController& app) { windows = std::make_unique<AppWindows>(app); }),
                 error.c_str());
        AppController& app = session.App();
        QVERIFY(app.MainWindow().IsOnline());
        // Here the session ends with the link; keeping it on screen and
        // connecting again is the reconnect tests' part.
        app.ClientContext().Config().WriteString(ConfigKeys::AutoReconnect, "0");

        // A comment after another text: read previous and back both offered.
        TReadArticleForm* reading = windows->Reading();
        const auto [comment, parent] = SomeComment(session.ClientContext());
        QVERIFY(comment > 0);
        QVERIFY(test::ShowAndWait(*reading, parent));
        QVERIFY(test::ShowAndWait(*reading, comment));
        TReadArticleActions* actions = reading->Actions();
        QVERIFY(actions->ReadPreviousAction()->isEnabled());
        QVERIFY(actions->ViewPrevTextAction()->isEnabled());
        windows->Events().SetStatusText("Demo User logged in.");
        QCOMPARE(app.MainWindow().StatusBar1()->Notice(), QStringLiteral("Demo User logged in."));

        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(!app.MainWindow().IsOnline(), 5000);
        QTRY_VERIFY(!session.messages.empty());
        QCOMPARE(session.messages.back(), QStringLiteral("The connection to the server was lost."));
        QVERIFY(app.ClientContext().ComThread().LinkDown());

        // Nothing claims a session any more.
        QCOMPARE(app.MainWindow().StatusBar1()->Notice(), QString());
        QVERIFY(!actions->ReadPreviousAction()->isEnabled());
        QVERIFY(!actions->ViewPrevTextAction()->isEnabled());
        QVERIFY(!actions->ViewNextTextAction()->isEnabled());

        // Offline now: a request gives up at once.
        TGenericTrans ping(app.ClientContext().Protocol(), "Get time", requests::GetTime());
        QVERIFY(!app.ClientContext().Transactions().ExecuteAndWait(ping));
        app.Disconnect();
        windows.reset();
        session.Stop();
    }
};

QTEST_MAIN(LinkLossTest)
#include "LinkLoss_test.moc"
