#include "ui/main/LocationLauncher.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace LocationLauncher {

namespace {

const QString Failed = QStringLiteral("Could not open the location: ");

} // namespace

Result<QString> launchArgument(const QString &address)
{
    // Only a full path: the program's working folder means nothing to the user.
    if (QDir::isAbsolutePath(address) && QFileInfo::exists(address))
        return QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath()).toString(QUrl::FullyEncoded);
    if (address.startsWith(QLatin1Char('-')))
        return Error{QStringLiteral("it begins with \"-\", which the opening program would take "
                                    "as an option.")};
    return address;
}

void open(platform::Platform &platform, const QString &address,
          const std::function<void(const QString &status)> &report)
{
    const Result<QString> argument = launchArgument(address);
    if (!argument) {
        report(Failed + argument.message());
        return;
    }
    const QStringList command = platform.openAddressCommand(argument.value());
    if (command.isEmpty()) {
        report(Failed + QStringLiteral("no program to open it was found."));
        return;
    }
    const QString &program = command.first();
    const auto reportLater = [report](const QString &reason) { report(Failed + reason); };
    if (!platform.launch(program, command.mid(1), reportLater))
        report(Failed + QStringLiteral("the program %1 could not be started.").arg(program));
}

} // namespace LocationLauncher
