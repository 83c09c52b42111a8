#include "app/CommandLine.h"

#include "VersionInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstring>

namespace CommandLine {

bool asksForTextOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"--help", "-h", "-?", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

Options parse(const QCoreApplication &app)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(VersionInfoValues::Major)
                                                .arg(VersionInfoValues::Minor)
                                                .arg(VersionInfoValues::Revision));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A small password manager. The vault is data.enc beside the program "
                       "when that folder holds one or can be written, otherwise "
                       "$XDG_DATA_HOME/Keyholder/data.enc."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption vault(QStringLiteral("vault"),
                                   QStringLiteral("Open the vault FILE instead."),
                                   QStringLiteral("FILE"));
    parser.addOption(vault);
    parser.process(app);
    return {parser.value(vault)};
}

} // namespace CommandLine
