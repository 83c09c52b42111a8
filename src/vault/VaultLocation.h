#pragma once

#include "Result.h"

#include <QString>

// Where the vault file lives, shared by every program that opens it.
namespace VaultLocation {

inline constexpr const char *FileName = "data.enc";
inline constexpr const char *DataFolderName = "Keyholder";

// The vault path, by these rules in order:
// 1. the override, when given;
// 2. an installed program (its Help.rtf in the data folder beside its own, none
//    next to it) keeps the vault in the user's data folder, whoever runs it
//    (a data.enc of this user's that an older version left beside it, while the
//    data folder has none, is still used);
// 3. data.enc in the application folder when it is there and belongs to this
//    user, or when it is not there and the folder can be written (the build
//    folder, a portable copy);
// 4. otherwise data.enc in the user's data folder ($XDG_DATA_HOME/Keyholder),
//    which is created owner-only when missing.
Result<QString> resolve(const QString &applicationFolder, const QString &overridePath = {});

// data.enc in the user's data folder, whether or not it exists yet.
QString userDataPath();

// Where an installed program keeps Help.rtf, relative to its own folder.
QString installedDataFolder(const QString &applicationFolder);

} // namespace VaultLocation
