#include "gui/shell/CommandLine.h"

#include <QTest>

using pellar::ParseCommandLine;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void AutoConnectWithProfile()
    {
        const auto line = ParseCommandLine({"-a", "-c", "work"});
        QVERIFY(line.autoConnect);
        QCOMPARE(line.startProfile, std::string("work"));
        QVERIFY(!line.demo);
    }

    void TrailingProfileOptionIsIgnored()
    {
        const auto line = ParseCommandLine({"-c"});
        QVERIFY(line.startProfile.empty());
        // The scan ends at a "-c" without a value, so a later "-a" cannot exist;
        // one before it still counts.
        QVERIFY(ParseCommandLine({"-a", "-c"}).autoConnect);
    }

    void OnlyTheLetterAfterTheDashCounts()
    {
        QVERIFY(ParseCommandLine({"-auto"}).autoConnect);
        QCOMPARE(ParseCommandLine({"-config", "home"}).startProfile, std::string("home"));
        // No dash, a bare dash and unknown letters are ignored.
        const auto line = ParseCommandLine({"a", "-", "-x", "c", "work"});
        QVERIFY(!line.autoConnect);
        QVERIFY(line.startProfile.empty());
    }

    void ProfileValueIsNotReadAsAnOption()
    {
        const auto line = ParseCommandLine({"-c", "-a"});
        QCOMPARE(line.startProfile, std::string("-a"));
        QVERIFY(!line.autoConnect);
    }

    void Demo()
    {
        const auto line = ParseCommandLine({"--demo", "-a"});
        QVERIFY(line.demo);
        QVERIFY(line.autoConnect);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
