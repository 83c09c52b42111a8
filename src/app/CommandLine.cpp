#include "app/CommandLine.h"

#include "VersionInfo.h"

#include <QCommandLineParser>

namespace CommandLine {

namespace {

// The window system's own options (QGuiApplication, QApplication, X11), taken
// off the line by the application object later: here they are only let through.
void allowWindowSystemOptions(QCommandLineParser &parser)
{
    const char *withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                               "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet",
                               "session", "qmljsdebugger"};
    const char *flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString version()
{
    return QStringLiteral("%1.%2.%3")
            .arg(VersionInfoValues::Major)
            .arg(VersionInfoValues::Minor)
            .arg(VersionInfoValues::Revision);
}

} // namespace

std::variant<Options, Exit> parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("A small password manager. An installed program keeps its vault in "
                       "$XDG_DATA_HOME/Keyholder/data.enc; a portable copy keeps data.enc beside itself."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Show the version and end."));
    parser.addOptions({help, showVersion});
    const QCommandLineOption vault(QStringLiteral("vault"), QStringLiteral("Open the vault FILE instead."),
                                   QStringLiteral("FILE"));
    parser.addOption(vault);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The vault to open, as --vault FILE."),
                                 QStringLiteral("[FILE]"));
    allowWindowSystemOptions(parser);

    // No application object exists yet to name the program in the help.
    const QString program = QString::fromUtf8(VersionInfoValues::ProductName).toLower();
    const QString helpText = parser.helpText().replace(QStringLiteral("<executable_name>"), program);
    const auto mistake = [&](const QString &what) {
        return Exit{2, QStringLiteral("%1: %2\n\n%3").arg(program, what, helpText)};
    };
    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet(help))
        return Exit{0, helpText};
    if (parser.isSet(showVersion))
        return Exit{0, program + u' ' + version() + u'\n'};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return mistake(QStringLiteral("only one vault can be opened at a time"));
    if (!files.isEmpty() && parser.isSet(vault))
        return mistake(QStringLiteral("give the vault either as FILE or with --vault, not both"));
    return Options{files.isEmpty() ? parser.value(vault) : files.front()};
}

} // namespace CommandLine
