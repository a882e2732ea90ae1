#include "gui/shell/CommandLine.h"

#include "ProgramVersionNumbers.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace pellar {

namespace {

// Long options are taken as they are; of a short one only its letter
// counts, as it always has. Plain words were never options and stay ignored,
// but for the values of -c and --language.
QStringList Normalised(const std::vector<std::string>& args)
{
    QStringList out{QStringLiteral("pellar")};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        if (arg[1] == '-') {
            // A long option's value may follow as the next argument.
            if (arg == "--language" && i + 1 < args.size()) {
                out << QStringLiteral("--language=") + QString::fromLocal8Bit(args[++i].c_str());
                continue;
            }
            out << QString::fromLocal8Bit(arg.c_str());
            continue;
        }
        if (arg[1] != 'c') {
            out << QStringLiteral("-") + QChar::fromLatin1(arg[1]);
            continue;
        }
        if (i + 1 >= args.size())
            break;
        // The profile may itself start with "-": it is a value here.
        out << QStringLiteral("--profile-value=") + QString::fromLocal8Bit(args[++i].c_str());
    }
    return out;
}

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and exit.")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("Start the built-in demo server and log on to it as \"Demo User\".")};
    QCommandLineOption language{QStringLiteral("language"),
                                QStringLiteral("Show the windows in <code> (\"en\": English; default: the desktop's)."),
                                QStringLiteral("code")};
    QCommandLineOption autoConnect{QStringLiteral("a"),
                                   QStringLiteral("Connect at once (with the profile of -c, else the default).")};
    QCommandLineOption profile{QStringLiteral("c"), QStringLiteral("Use the profile <profile> for -a."),
                               QStringLiteral("profile")};
    // What Normalised turns "-c <value>" into, so a value starting with "-"
    // is never read as options.
    QCommandLineOption profileValue{QStringLiteral("profile-value"), QString(), QStringLiteral("profile")};

    void AddTo(QCommandLineParser& parser, bool withInternal)
    {
        parser.setApplicationDescription(
            QStringLiteral("A desktop client for Miravo text-conferencing servers."));
        parser.addOptions({help, version, demo, language, autoConnect, profile});
        if (withInternal) {
            profileValue.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(profileValue);
        }
    }
};

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    Options options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    options.AddTo(parser, true);
    // The parser goes on past what it does not know and keeps every option
    // it does; what it refused becomes a warning, not the end of the start.
    if (!parser.parse(Normalised(args))) {
        const QStringList unknown = parser.unknownOptionNames();
        for (const QString& name : unknown) {
            result.warnings.push_back("ignoring unknown option " +
                                      QString((name.size() == 1 ? "-" : "--") + name).toLocal8Bit().toStdString());
        }
        if (unknown.isEmpty())
            result.warnings.push_back("ignoring: " + parser.errorText().toLocal8Bit().toStdString());
    }
    result.help = parser.isSet(options.help);
    result.version = parser.isSet(options.version);
    result.demo = parser.isSet(options.demo);
    result.autoConnect = parser.isSet(options.autoConnect);
    if (parser.isSet(options.language))
        result.language = parser.value(options.language).toLocal8Bit().toStdString();
    if (parser.isSet(options.profileValue))
        result.startProfile = parser.values(options.profileValue).constLast().toLocal8Bit().toStdString();
    return result;
}

std::string CommandLineUsage()
{
    std::string text = "Usage: pellar [options]\n"
                       "A desktop client for Miravo text-conferencing servers.\n\n"
                       "Options:\n";
    Options options;
    for (const QCommandLineOption* option :
         {&options.help, &options.version, &options.demo, &options.language, &options.autoConnect, &options.profile}) {
        QStringList names;
        for (const QString& name : option->names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString left = names.join(QStringLiteral(", "));
        if (!option->valueName().isEmpty())
            left += QStringLiteral(" <%1>").arg(option->valueName());
        text += "  " + left.leftJustified(18).toStdString() + "  " + option->description().toStdString() + "\n";
    }
    return text;
}

std::string VersionText()
{
    return "Pellar " + std::to_string(PELLAR_VERSION_MAJOR) + "." + std::to_string(PELLAR_VERSION_MINOR) + "." +
           std::to_string(PELLAR_VERSION_RELEASE) + " (build " + std::to_string(PELLAR_VERSION_BUILD) + ")\n";
}

int AnswerWithoutWindow(const CommandLine& line)
{
    for (const std::string& warning : line.warnings)
        std::fprintf(stderr, "pellar: %s (see pellar --help)\n", warning.c_str());
    if (line.help) {
        std::fputs(CommandLineUsage().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    return -1;
}

} // namespace pellar
