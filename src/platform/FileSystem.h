#pragma once

#include <QString>

// File-system calls that Qt does not offer. Qt Core only, so the vault core may use them.
namespace platform::FileSystem {

// Flushes a folder's entries to disk, so a rename in it survives a power cut.
bool syncFolder(const QString &folder);

// Makes target a second name of the file at existing (a hard link), replacing
// target in one step; false where the file system has no hard links.
bool replaceWithHardLink(const QString &existing, const QString &target);

} // namespace platform::FileSystem
