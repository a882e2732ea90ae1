// The statistics window: hit rates before any look-up and after some, and the
// traffic counters moving with the session.
#include "support/gui/LiveSession.h"

#include "core/session/MVCache.h"
#include "gui/dialogs/StatisticsForm.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace pellar;

class StatisticsFormTest : public QObject {
    Q_OBJECT

private slots:
    void showsZeroRatesBeforeAnyLookupAndCountsAfter()
    {
        pellar::test::LiveSession session;
        std::string error;
        QVERIFY2(session.Start(&error), error.c_str());
        Client& client = session.ClientContext();
        client.Cache().ClearAllCaches();

        auto* form = new TStatisticsForm([&client] { return StatisticsFormat::Collect(client, 7); });
        QPointer<TStatisticsForm> watch(form);
        form->show();
        QCOMPARE(form->windowTitle(), QStringLiteral("Statistics"));
        QCOMPARE(form->TextBodyHitEdit()->text(), QStringLiteral("(0/0) 0%"));
        QCOMPARE(form->AsyncMessagesEdit()->text(), QStringLiteral("7"));
        QVERIFY(form->BytesSentEdit()->text().endsWith(QStringLiteral("Bytes")));
        QCOMPARE(form->Timer()->interval(), 3000);
        QVERIFY(form->Timer()->isActive());
        pellar::test::SaveScreenshot(form, QStringLiteral("StatisticsForm"));

        // One miss, then one hit on the text-body cache.
        QVERIFY(client.Cache().GetText(1));
        QVERIFY(client.Cache().GetText(1));
        form->Refresh();
        QCOMPARE(form->TextBodyHitEdit()->text(), QStringLiteral("(1/1) 50.00%"));
        QVERIFY(form->TransactionsEdit()->text().toInt() > 0);

        form->close();
        QTRY_VERIFY(watch.isNull());
        session.Stop();
    }
};

QTEST_MAIN(StatisticsFormTest)
#include "StatisticsForm_test.moc"
