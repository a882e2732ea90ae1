// Losing the server under a running session: the window goes offline by
// itself, says why, and a request made meanwhile fails instead of waiting.
#include "LiveSession.h"

#include "core/protocol/MVTransaction.h"
#include "core/protocol/OrvThread.h"

#include <QTest>

using namespace pellar;

class LinkLossTest : public QObject {
    Q_OBJECT

private slots:
    void aLostLinkTakesTheWindowOfflineWithAMessage()
    {
        pellar::test::LiveSession session;
        std::string error;
        QVERIFY2(session.Start(&error), error.c_str());
        AppController& app = session.App();
        QVERIFY(app.MainWindow().IsOnline());

        session.StopServer();
        QTRY_VERIFY_WITH_TIMEOUT(!app.MainWindow().IsOnline(), 5000);
        QTRY_VERIFY(!session.messages.empty());
        QCOMPARE(session.messages.back(), QStringLiteral("The connection to the server was lost."));
        QVERIFY(app.ClientContext().ComThread().LinkDown());

        // Offline now: a request gives up at once.
        TGenericTrans ping(app.ClientContext().Protocol(), "Get time", {35});
        QVERIFY(!app.ClientContext().Transactions().ExecuteAndWait(ping));
        session.Stop();
    }
};

QTEST_MAIN(LinkLossTest)
#include "LinkLoss_test.moc"
