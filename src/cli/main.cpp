// keyholder-cli: the vault from the command line, on the core alone.
#include "CommandLine.h"
#include "Console.h"
#include "VaultCommands.h"

#include "VersionInfo.h"
#include "platform/ProcessSafety.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    platform::disableCoreDumps();
    platform::ignoreBrokenPipe();
    QCoreApplication app(argc, argv);
    const auto parsed = CommandLine::parse(app.arguments().sliced(1));
    if (const auto *usageError = std::get_if<CommandLine::UsageError>(&parsed)) {
        Console(false).err(u"keyholder-cli: %1\n\n%2"_s.arg(usageError->message, CommandLine::usage()));
        return 2;
    }
    const Invocation &invocation = std::get<Invocation>(parsed);
    Console console(invocation.passwordStdin);
    if (invocation.command == Invocation::Command::Help) {
        console.out(CommandLine::usage());
        return console.finish().isEmpty() ? 0 : 1;
    }
    if (invocation.command == Invocation::Command::Version) {
        console.out(u"keyholder-cli %1.%2.%3\n"_s.arg(VersionInfoValues::Major)
                            .arg(VersionInfoValues::Minor)
                            .arg(VersionInfoValues::Revision));
        return console.finish().isEmpty() ? 0 : 1;
    }
    return VaultCommands(invocation, console).run();
}
