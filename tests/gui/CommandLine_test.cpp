// The command line: the old one-letter rules of -a and -c, the long options,
// and the program itself answering --help, --version and a wrong option
// without ever opening a window.
#include "gui/shell/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using pellar::ParseCommandLine;

namespace {

struct Run {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out, err;
};

// The real program, with no display to open a window on: a window would
// make it fail instead of answering.
Run RunProgram(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PELLAR_EXECUTABLE), args);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void AutoConnectWithProfile()
    {
        const auto line = ParseCommandLine({"-a", "-c", "work"});
        QVERIFY(line.autoConnect);
        QCOMPARE(line.startProfile, std::string("work"));
        QVERIFY(!line.demo);
        QVERIFY(line.error.empty());
    }

    void TrailingProfileOptionIsIgnored()
    {
        const auto line = ParseCommandLine({"-c"});
        QVERIFY(line.startProfile.empty());
        QVERIFY(line.error.empty());
        QVERIFY(ParseCommandLine({"-a", "-c"}).autoConnect);
    }

    void OnlyTheLetterAfterTheDashCounts()
    {
        QVERIFY(ParseCommandLine({"-auto"}).autoConnect);
        QCOMPARE(ParseCommandLine({"-config", "home"}).startProfile, std::string("home"));
        // Words without a dash and a bare dash are no options at all.
        const auto line = ParseCommandLine({"a", "-", "c", "work"});
        QVERIFY(!line.autoConnect);
        QVERIFY(line.startProfile.empty());
        QVERIFY(line.error.empty());
    }

    void ProfileValueIsNotReadAsAnOption()
    {
        const auto line = ParseCommandLine({"-c", "-a"});
        QCOMPARE(line.startProfile, std::string("-a"));
        QVERIFY(!line.autoConnect);
        QCOMPARE(ParseCommandLine({"-c", "--help"}).startProfile, std::string("--help"));
        QVERIFY(!ParseCommandLine({"-c", "--help"}).help);
    }

    void LongOptions()
    {
        const auto line = ParseCommandLine({"--demo", "-a"});
        QVERIFY(line.demo);
        QVERIFY(line.autoConnect);
        QVERIFY(ParseCommandLine({"--help"}).help);
        QVERIFY(ParseCommandLine({"-h"}).help);
        QVERIFY(ParseCommandLine({"--version"}).version);
    }

    void UnknownOptionsAreErrors()
    {
        QVERIFY(!ParseCommandLine({"-x"}).error.empty());
        QVERIFY(!ParseCommandLine({"--demo", "--frobnicate"}).error.empty());
        QVERIFY(!ParseCommandLine({"--version=3"}).error.empty());
        QVERIFY(ParseCommandLine({"--demo"}).error.empty());
    }

    void ProgramAnswersVersionAndHelpWithoutAWindow()
    {
        const Run version = RunProgram({QStringLiteral("--version")});
        QCOMPARE(version.status, QProcess::NormalExit);
        QCOMPARE(version.exitCode, 0);
        QVERIFY2(version.out.startsWith(QStringLiteral("Pellar %1 (build ").arg(QStringLiteral(PELLAR_VERSION_TEXT))),
                 qPrintable(version.out + version.err));

        const Run help = RunProgram({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith(QStringLiteral("Usage: pellar [options]\n")), qPrintable(help.out + help.err));
        for (const char* option : {"--demo", "-a", "-c <profile>", "--version"})
            QVERIFY2(help.out.contains(QLatin1String(option)), option);
    }

    void ProgramRefusesAnUnknownOptionWithExitTwo()
    {
        const Run run = RunProgram({QStringLiteral("--no-such-option")});
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QStringLiteral("no-such-option")), qPrintable(run.err));
        QVERIFY(run.err.contains(QStringLiteral("Usage: pellar [options]")));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
