#pragma once

#include <QString>

class QFileDevice;

// File-system calls that Qt does not offer. Qt Core only, so the vault core may use them.
// Those that can fail return the system's reason, empty when they succeeded.
namespace platform::FileSystem {

// Flushes a folder's entries to disk, so a rename in it survives a power cut.
bool syncFolder(const QString &folder);

// Flushes an open file's bytes to disk.
QString syncFile(QFileDevice &file);

// Gives the file at from the name to in one step. Whatever had that name (a
// file or a link) is replaced itself; a link's target is never touched.
QString renameOver(const QString &from, const QString &to);

// Makes name a second name of the file at existing (a hard link); whatever
// had that name goes first. False where the file system has no hard links.
bool hardLink(const QString &existing, const QString &name);

// What the system keeps of a file that any write to it, or another file put in
// its place, would change: its identity, size, and modification and change
// times in nanoseconds. All zero where it cannot be asked (known() is false).
struct FileStamp
{
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool known() const { return inode != 0; }
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
FileStamp stampOf(const QString &path);

// False when the file belongs to another user; true where files have no owner.
bool ownedByCurrentUser(const QString &path);

} // namespace platform::FileSystem
