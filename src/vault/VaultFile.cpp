#include "VaultFile.h"

#include "VaultFormat.h"
#include "xfileExists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool fail(QString *error, const QString &what, const QString &path, const QString &reason)
{
    if (error)
        *error = u"Could not %1 the vault file \"%2\": %3"_s.arg(what, QDir::toNativeSeparators(path), reason);
    return false;
}

// A file hidden from FileExists gets an empty line appended rather than being
// replaced, so whatever it holds survives.
bool appendEmptyLine(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(error, u"open"_s, path, file.errorString());
    if (file.write(VaultFormat::emptyVault()) < 0 || !file.flush())
        return fail(error, u"write"_s, path, file.errorString());
    return true;
}

// A short write sets no error; writing the rest again brings out the system's reason.
bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace

namespace VaultFile {

ReadResult read(const QString &path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(&result.error, u"open"_s, path, file.errorString());
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(&result.error, u"read"_s, path, file.errorString());
        result.bytes.clear();
        return result;
    }
    result.ok = true;
    return result;
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    // Unbuffered, so a failing write reports here rather than as a vague error in commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, u"save"_s, path, file.errorString());
    if (isNew && !file.setPermissions(OwnerOnly))
        return fail(error, u"protect"_s, path, file.errorString());
    if (!writeAll(file, bytes) || !file.commit())
        return fail(error, u"save"_s, path, file.errorString());
    return true;
}

bool EnsureVaultFile(const QString &path, QString *error)
{
    if (xfileExists::FileExists(path))
        return true;
    if (QFileInfo(path).isFile())
        return appendEmptyLine(path, error);
    return write(path, VaultFormat::emptyVault(), error);
}

} // namespace VaultFile
