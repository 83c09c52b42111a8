#include "VaultFingerprint.h"

#include <QHashFunctions>
#include <QFile>
#include <QFileInfo>

namespace {

// Only this process compares the values, and size and time come with them,
// so Qt's fast hash is enough; it runs on every save over the whole file.
QByteArray hashOf(QByteArrayView bytes)
{
    const size_t hash = qHashBits(bytes.data(), size_t(bytes.size()), 0);
    return QByteArray(reinterpret_cast<const char *>(&hash), sizeof hash);
}

QByteArray hashOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? hashOf(bytes) : QByteArray();
}

} // namespace

VaultFingerprint VaultFingerprint::of(const QString &path, QByteArrayView bytes)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified(), hashOf(bytes)};
}

bool VaultFingerprint::sizeAndTimeMatchFileAt(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.size() == size && info.lastModified() == modified;
}

bool VaultFingerprint::matchesFileAt(const QString &path) const
{
    if (!sizeAndTimeMatchFileAt(path))
        return false;
    // A sync tool may keep the time; only the bytes can say nothing changed.
    return hashOfFile(path) == hash;
}
