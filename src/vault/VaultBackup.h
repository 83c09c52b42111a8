#pragma once

#include "Result.h"
#include "VaultKey.h"

#include <QString>

#include <optional>

// data.enc.bak, the vault as it was before the last save: what it tells when
// the vault went missing, and how it follows the vault from one format to the other.
namespace VaultBackup {

// A new vault is started only where none was before: refused where the vault
// is gone or empty while its backup holds one, with how to restore it, and
// where the vault is a link to a file that is not there.
Result<void> checkNothingToRestore(const QString &vaultPath);

// A damaged vault's error, with how to go back to the backup (or that there is none).
Error withRestoreAdvice(const QString &vaultPath, const Error &damaged);

// The backup as it is, into the format the vault has now, so it keeps the
// previous version: sealed with newKey (or, under another master password,
// with a key of its own), or opened with the key it was sealed with. A backup
// sealed under a password not known here stays encrypted.
Result<void> convert(const QString &vaultPath, const std::optional<VaultKey> &newKey,
                     const QString &masterPassword, const std::optional<VaultKey> &previousKey);

} // namespace VaultBackup
