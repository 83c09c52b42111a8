#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// Reading and writing data.enc. Errors are sentences for the user that name the
// file (or its folder, when that is what failed) and end with the system's reason.
namespace VaultFile {

// Far above any real vault (about four million entries); a larger file is refused unread,
// and a save that would make one is refused too.
inline constexpr qint64 MaximumSize = qint64(256) << 20;

// Only a regular file (or a link to one) of at most MaximumSize is read.
Result<QByteArray> read(const QString &path);
// The same, into memory the caller gives: room(size) for size bytes. A file
// that grows while it is read is read again, into a new room asked for then,
// which takes the old one's place. Null from room means there is no memory.
Result<QByteArrayView> readInto(const QString &path, const std::function<char *(qsizetype size)> &room);
// The same checks, but only the start of the file: at least its first line
// (the master line) or, when it is longer, the first 64 KiB.
Result<QByteArray> readStart(const QString &path);

enum class Backup { None, KeepPrevious };

// Writes the bytes to a new file beside path, flushes it, and only then gives
// it the name, so the old file stays whole until the new one is. A link at
// path is replaced, never written through. A new file is readable by its
// owner only; an existing one keeps its permissions. With KeepPrevious the
// file being replaced becomes backupPathOf(path), owner-only, once the new
// file is written: a failed save leaves the file and its backup as they were.
Result<void> write(const QString &path, QByteArrayView bytes, Backup backup = Backup::None);

// Another file of the user's that holds secrets (an export): the same safe
// write, always owner-only, never through a link. A file or link already at
// path is replaced only when asked.
enum class Existing { Refuse, Replace };
Result<void> writePrivate(const QString &path, QByteArrayView bytes, Existing existing);

// A file to take entries from (an import) gets the vault's checks: a regular
// file of at most MaximumSize, checked before it is opened, so a pipe never blocks.
Result<void> checkReadableFile(const QString &path);

// New vault files that a crash left half-written beside the vault. Only for
// the program that holds the vault's lock.
void removeLeftovers(const QString &path);

QString backupPathOf(const QString &path);

// The file a path names, links and "..'s resolved; for a file not there yet, its
// name in the resolved folder.
QString canonicalPath(const QString &path);

// Creates an empty vault (CR LF) when there is no file yet.
Result<void> EnsureVaultFile(const QString &path);

} // namespace VaultFile
