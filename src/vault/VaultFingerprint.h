#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include "platform/FileSystem.h"

// What the vault file looked like when it was last read or written, so a
// change made by another program is noticed before it could be overwritten.
struct VaultFingerprint
{
    qint64 size = -1;
    QDateTime modified;
    QByteArray hash;
    platform::FileSystem::FileStamp stamp;

    static VaultFingerprint of(const QString &path, QByteArrayView bytes);
    // The file as it is now. Its bytes are read and hashed only when size and
    // time still match but something else of the file changed.
    bool matchesFileAt(const QString &path) const;
    // Size and time alone: cheap enough for every change the file system reports.
    bool sizeAndTimeMatchFileAt(const QString &path) const;

    friend bool operator==(const VaultFingerprint &, const VaultFingerprint &) = default;
};
