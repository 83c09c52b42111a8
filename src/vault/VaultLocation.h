#pragma once

#include "Result.h"

#include <QString>

// Where the vault file lives, shared by every program that opens it.
namespace VaultLocation {

inline constexpr const char *FileName = "data.enc";
inline constexpr const char *DataFolderName = "Keyholder";

// The vault path, by these rules in order: the override when given; data.enc in
// the application folder when the folder holds one or can be written (the build
// folder, a portable copy); otherwise data.enc in the user's data folder
// ($XDG_DATA_HOME/Keyholder), which is created owner-only when missing.
Result<QString> resolve(const QString &applicationFolder, const QString &overridePath = {});

// data.enc in the user's data folder, whether or not it exists yet.
QString userDataPath();

} // namespace VaultLocation
