#include "VaultFingerprint.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray hashOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
}

QByteArray hashOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

VaultFingerprint VaultFingerprint::of(const QString &path, QByteArrayView bytes)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified(), hashOf(bytes)};
}

bool VaultFingerprint::matchesFileAt(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != size || info.lastModified() != modified)
        return false;
    // A sync tool may keep the time; only the bytes can say nothing changed.
    return hashOfFile(path) == hash;
}
