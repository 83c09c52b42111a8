#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reading and writing data.enc. Errors are sentences for the user that name the
// file (or its folder, when that is what failed) and end with the system's reason.
namespace VaultFile {

// Far above any real vault (about four million entries); a larger file is refused unread.
inline constexpr qint64 MaximumSize = qint64(256) << 20;

// Only a regular file (or a link to one) of at most MaximumSize is read.
Result<QByteArray> read(const QString &path);
// The same checks, but only the start of the file: at least its first line
// (the master line) or, when it is longer, the first 64 KiB.
Result<QByteArray> readStart(const QString &path);

enum class Backup { None, KeepPrevious };

// Replaces the file in one step, so it is never left half-written, and flushes
// its folder so the new name survives a power cut. A new file is readable by
// its owner only; an existing one keeps its permissions. With KeepPrevious the
// file being replaced is kept first as backupPathOf(path), owner-only.
Result<void> write(const QString &path, QByteArrayView bytes, Backup backup = Backup::None);

QString backupPathOf(const QString &path);

// Creates an empty vault (CR LF) when there is no file yet.
Result<void> EnsureVaultFile(const QString &path);

} // namespace VaultFile
