#include "VaultLocation.h"

#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace VaultLocation {

namespace {

const QString HelpFileName = QStringLiteral("Help.rtf");

// A real try, not the mode bits, which say nothing for root or a read-only mount.
bool canCreateFilesIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".keyholder-probe-XXXXXX")));
    return probe.open();
}

// Its data in the share folder and none beside it: root can write /usr/bin, but
// a vault there would outlive the package.
bool isInstalled(const QString &applicationFolder)
{
    return !QFileInfo::exists(QDir(applicationFolder).filePath(HelpFileName))
            && QFileInfo::exists(QDir(installedDataFolder(applicationFolder)).filePath(HelpFileName));
}

Result<QString> inUserDataFolder()
{
    const QString path = userDataPath();
    const QString folder = QFileInfo(path).path();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return Error{QStringLiteral("Cannot create the folder %1.").arg(folder)};
        // The vault is readable by its owner only; so is the folder that holds it.
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

} // namespace

QString userDataPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QString::fromLatin1(DataFolderName) + u'/' + QString::fromLatin1(FileName));
}

QString installedDataFolder(const QString &applicationFolder)
{
    return QDir::cleanPath(applicationFolder + u'/' + QString::fromUtf8(KEYHOLDER_DATA_FROM_BINARY));
}

Result<QString> resolve(const QString &applicationFolder, const QString &overridePath)
{
    if (!overridePath.isEmpty())
        return QFileInfo(overridePath).absoluteFilePath();
    const QString besideProgram = QDir(applicationFolder).filePath(QString::fromLatin1(FileName));
    if (isInstalled(applicationFolder)) {
        // A vault of this user's from before the rule stays in use rather than out of sight;
        // none is ever made there.
        if (!QFileInfo::exists(userDataPath()) && QFileInfo::exists(besideProgram)
            && platform::FileSystem::ownedByCurrentUser(besideProgram))
            return besideProgram;
        return inUserDataFolder();
    }
    // Another user's vault in a shared portable folder is theirs, not ours to open.
    if (QFileInfo::exists(besideProgram)) {
        if (platform::FileSystem::ownedByCurrentUser(besideProgram))
            return besideProgram;
        return inUserDataFolder();
    }
    if (canCreateFilesIn(applicationFolder))
        return besideProgram;
    return inUserDataFolder();
}

} // namespace VaultLocation
