#include "VaultFingerprint.h"

#include <QHashFunctions>
#include <QFile>
#include <QFileInfo>

namespace {

// Only this process compares the values, and size and time come with them,
// so Qt's fast hash is enough; it runs on every save over the whole file. A
// seed other than 0 lets Qt use the processor's AES instructions where it has them.
QByteArray hashOf(QByteArrayView bytes)
{
    constexpr size_t Seed = 0x6b6579686f6c6465;
    const size_t hash = qHashBits(bytes.data(), size_t(bytes.size()), Seed);
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
    return {info.size(), info.lastModified(), hashOf(bytes), platform::FileSystem::stampOf(path)};
}

bool VaultFingerprint::sizeAndTimeMatchFileAt(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.size() == size && info.lastModified() == modified;
}

bool VaultFingerprint::matchesFileAt(const QString &path) const
{
    // The same file, never written since: a write, even one that puts the
    // modification time back, moves the change time, which no program can set.
    // Size and time are part of the stamp, so the usual save looks at the file once.
    if (stamp.known() && platform::FileSystem::stampOf(path) == stamp)
        return true;
    if (!sizeAndTimeMatchFileAt(path))
        return false;
    // A sync tool may keep the time; only the bytes can say nothing changed.
    return hashOfFile(path) == hash;
}
