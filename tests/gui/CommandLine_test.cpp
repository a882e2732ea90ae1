// The command line: the old one-letter rules of -a and -c, the long options,
// the program itself answering --help and --version without ever opening a
// window, and an unknown option warned about while the window still opens.
#include "gui/shell/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
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
        QVERIFY(line.warnings.empty());
    }

    void TrailingProfileOptionIsIgnored()
    {
        const auto line = ParseCommandLine({"-c"});
        QVERIFY(line.startProfile.empty());
        QVERIFY(line.warnings.empty());
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
        QVERIFY(line.warnings.empty());
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
        QCOMPARE(ParseCommandLine({"--language", "de", "--demo"}).language, std::string("de"));
        QCOMPARE(ParseCommandLine({"--language=en"}).language, std::string("en"));
        QVERIFY(ParseCommandLine({"--demo"}).language.empty());
    }

    void UnknownOptionsAreWarnedAboutAndTheRestIsKept()
    {
        const auto x = ParseCommandLine({"-x"});
        QCOMPARE(x.warnings, std::vector<std::string>{"ignoring unknown option -x"});
        // What comes before and after an unknown option still counts.
        const auto line = ParseCommandLine({"--demo", "--frobnicate", "-a", "-c", "work", "--new-window"});
        QCOMPARE(line.warnings, (std::vector<std::string>{"ignoring unknown option --frobnicate",
                                                          "ignoring unknown option --new-window"}));
        QVERIFY(line.demo);
        QVERIFY(line.autoConnect);
        QCOMPARE(line.startProfile, std::string("work"));
        QCOMPARE(ParseCommandLine({"--version=3"}).warnings.size(), size_t{1});
        QVERIFY(ParseCommandLine({"--demo"}).warnings.empty());
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
        for (const char* option : {"--demo", "-a", "-c <profile>", "--language <code>", "--version"})
            QVERIFY2(help.out.contains(QLatin1String(option)), option);
    }

    void ProgramWarnsOfAnUnknownOptionAndAnswersTheKnownOnes()
    {
        const Run run = RunProgram({QStringLiteral("--no-such-option"), QStringLiteral("--version")});
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("Pellar ")), qPrintable(run.out + run.err));
        QVERIFY2(run.err.contains(QStringLiteral("ignoring unknown option --no-such-option")), qPrintable(run.err));
        QVERIFY(!run.err.contains(QStringLiteral("Usage:")));
    }

    void ProgramWithAnUnknownOptionOpensItsWindow()
    {
        // A private home so that no settings of this machine are read.
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            env.insert(QString::fromLatin1(name), home.path() + QStringLiteral("/") + QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(PELLAR_EXECUTABLE), {QStringLiteral("--launcher-switch")});
        QVERIFY(process.waitForStarted(10000));
        QByteArray err;
        const auto warned = [&] {
            err += process.readAllStandardError();
            return err.contains("ignoring unknown option --launcher-switch");
        };
        QTRY_VERIFY_WITH_TIMEOUT(warned() || process.state() == QProcess::NotRunning, 10000);
        QVERIFY2(warned(), err.constData());
        // Still running a second later: it went on to its window.
        QTest::qWait(1000);
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        process.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
