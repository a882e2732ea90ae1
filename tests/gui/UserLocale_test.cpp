// The user's locale where the program shows dates and orders names: the port
// core asks (German and Swedish dates and collation), the article view's
// header, the notice window and the who-is-on list's order.
#include "core/events/ActiveUsersTable.h"
#include "core/wire/DateTime.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/common/QtLocalePort.h"
#include "gui/common/WireCodec.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"
#include "core/writing/ClientArticlePane.h"
#include "gui/common/QtCancellableGuiThread.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>

using namespace pellar;

namespace {

std::vector<int32_t> Sessions(const ActiveUsersTable& t)
{
    std::vector<int32_t> s;
    for (const auto& row : t.Rows())
        s.push_back(row.Session());
    return s;
}

// Names as the wire holds them in this test (ISO-8859-1).
std::string Wire(const char* utf8)
{
    return ToWire(QString::fromUtf8(utf8), WireCharset::Latin1);
}

} // namespace

class UserLocaleTest : public QObject {
    Q_OBJECT

private slots:
    void init() { SetActiveWireCharset(WireCharset::Latin1); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void datesAreTheLocalesShortDateAndLongTimeWithoutAZone()
    {
        const QtLocalePort port;
        const CalendarTime t{2024, 3, 7, 8, 5, 9};
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(QString::fromStdString(port.FormatDateTime(t)), QStringLiteral("07.03.24 08:05:09"));
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        QCOMPARE(QString::fromStdString(port.FormatDateTime(t)), QStringLiteral("2024-03-07 08:05:09"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(QString::fromStdString(port.FormatDateTime(t)), QStringLiteral("3/7/24 8:05:09 AM"));
        // Core's own time through the port.
        QCOMPARE(QString::fromStdString(FormatDateTime(EncodeDateTime(2024, 3, 7, 8, 5, 9), port)),
                 QStringLiteral("3/7/24 8:05:09 AM"));
        // A date no calendar has falls back to the plain form.
        QCOMPARE(QString::fromStdString(port.FormatDateTime(CalendarTime{2024, 2, 30, 1, 2, 3})),
                 QStringLiteral("2024-02-30 01:02:03"));

        QCOMPARE(QtLocalePort::TimeFormatWithoutZone(QStringLiteral("HH:mm:ss t")), QStringLiteral("HH:mm:ss"));
        QCOMPARE(QtLocalePort::TimeFormatWithoutZone(QStringLiteral("tttt HH:mm:ss")), QStringLiteral("HH:mm:ss"));
        QCOMPARE(QtLocalePort::TimeFormatWithoutZone(QStringLiteral("H 'at' mm t")), QStringLiteral("H 'at' mm"));

        // Where a date is typed, the year has all four digits.
        QCOMPARE(QtLocalePort::DateFormatForEditing(QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(QtLocalePort::DateFormatForEditing(QLocale(QLocale::English, QLocale::UnitedStates)),
                 QStringLiteral("M/d/yyyy"));
        QCOMPARE(QtLocalePort::DateFormatForEditing(QLocale(QLocale::Swedish, QLocale::Sweden)),
                 QStringLiteral("yyyy-MM-dd"));
    }

    void namesCompareByTheLocalesCollationIgnoringCase()
    {
        const QtLocalePort port;
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        QCOMPARE(port.CompareNames(Wire("Åsa"), Wire("åsa")), 0);
        QVERIFY(port.CompareNames(Wire("Ärla"), Wire("zorro")) > 0);  // Swedish: Ä after Z
        QVERIFY(port.CompareNames(Wire("anna"), Wire("Bertil")) < 0);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(port.CompareNames(Wire("Ärla"), Wire("bertil")) < 0);  // German: Ä with A
        QVERIFY(port.CompareNames(Wire("Ärla"), Wire("zorro")) < 0);
        QCOMPARE(port.CompareNames(Wire("ÄRLA"), Wire("ärla")), 0);
    }

    void theWhoIsOnListSortsUsersInTheLocalesOrder()
    {
        const QtLocalePort port;
        ActiveUsersTable table(port);
        table.AddSession(1, Wire("Zorro"), "", "", "", "");
        table.AddSession(2, Wire("Ärla"), "", "", "", "");
        table.AddSession(3, Wire("åsa"), "", "", "", "");
        table.AddSession(4, Wire("bertil"), "", "", "", "");
        table.AddSession(5, Wire("Åsa"), "", "", "", "");
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        table.Sort(colUser);
        // Z, then Å (Åsa and åsa one name: session order), then Ä.
        QCOMPARE(Sessions(table), (std::vector<int32_t>{4, 1, 3, 5, 2}));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        table.Sort(colUser);
        QCOMPARE(Sessions(table), (std::vector<int32_t>{2, 3, 5, 4, 1}));
    }

    void theNoticeWindowWritesItsDateAsArticlesDo()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TNoteOnDoorForm note;
        const QDateTime created(QDate(2026, 12, 6), QTime(10, 15, 2));
        note.ShowText(QStringLiteral("Closed"), created, QStringLiteral("Back on Monday."));
        const QString shown = note.TextEdit()->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("06.12.26 10:15:02")), qPrintable(shown));
        const QtLocalePort port;
        QVERIFY(shown.contains(FromWire(port.FormatDateTime(CalendarTime{2026, 12, 6, 10, 15, 2}))));
    }

    // The header of an article, on a client that was given the port as the
    // program gives it at start.
    void theArticleViewShowsTheCreationTimeInGerman()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ClientOptions options = test::QuietClientOptions();
        options.locale = std::make_shared<QtLocalePort>();
        test::DemoSession session(std::move(options));
        std::string why;
        QVERIFY2(session.Start(&why), why.c_str());
        std::vector<int32_t> confs;
        session.client.Cache().ListMemberConferences(confs);
        QVERIFY(!confs.empty());
        const int32_t text = session.CreateText(confs.back(), "Dates", "When was this written?");
        QVERIFY(text > 0);
        ClientArticlePane pane(session.client, std::make_unique<QtCancellableGuiThread>(qApp));
        TArticleViewForm view(pane);
        QVERIFY(test::ShowPrepared(view, session.client, text).shown);
        const QString header = view.MainEdit()->document()->firstBlock().text();
        const QRegularExpression german(QStringLiteral("^%1 \\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d, By ")
                                            .arg(text));
        QVERIFY2(german.match(header).hasMatch(), qPrintable(header));
        const auto stat = session.client.Cache().GetTextStat(text);
        QVERIFY(stat);
        const DateTimeParts p = DecodeDateTime(stat->CreationTime());
        QVERIFY2(header.contains(QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second))
                                     .toString(QStringLiteral("dd.MM.yy HH:mm:ss"))),
                 qPrintable(header));
    }
};

QTEST_MAIN(UserLocaleTest)
#include "UserLocale_test.moc"
