#include "VaultLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace VaultLocation {

namespace {

// A real try, not the mode bits, which say nothing for root or a read-only mount.
bool canCreateFilesIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".keyholder-probe-XXXXXX")));
    return probe.open();
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

Result<QString> resolve(const QString &applicationFolder, const QString &overridePath)
{
    if (!overridePath.isEmpty())
        return QFileInfo(overridePath).absoluteFilePath();
    const QString besideProgram = QDir(applicationFolder).filePath(QString::fromLatin1(FileName));
    if (QFileInfo::exists(besideProgram) || canCreateFilesIn(applicationFolder))
        return besideProgram;
    return inUserDataFolder();
}

} // namespace VaultLocation
