#include "VaultBackup.h"

#include "EncryptedFormat.h"
#include "VaultFile.h"
#include "VaultFormat.h"
#include "Wipe.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Something was kept in the file: a master password, an entry, or encryption.
// A file that cannot be read is taken to hold something.
bool holdsVault(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return false;
    const Result<QByteArray> start = VaultFile::readStart(path);
    if (!start || EncryptedFormat::isEncrypted(start.value()))
        return true;
    const VaultFormat::Contents contents = VaultFormat::parse(start.value());
    return !contents.MasterPassword.isEmpty() || !contents.Rows.empty();
}

// The backup may be of an older master password: it is sealed under its own.
Result<QByteArray> sealed(const QByteArray &scrambled, const VaultKey &newKey, const QString &masterPassword)
{
    const QString itsPassword = VaultFormat::readMasterPassword(scrambled);
    if (itsPassword == masterPassword)
        return EncryptedFormat::seal(scrambled, newKey);
    Result<VaultKey> itsKey = VaultKey::createNew(itsPassword, newKey.limits());
    if (!itsKey)
        return itsKey.error();
    return EncryptedFormat::seal(scrambled, itsKey.value());
}

// With the key it was sealed with: the vault's until now, else one from its own header.
Result<QByteArray> opened(const QByteArray &encrypted, const std::optional<VaultKey> &previousKey,
                          const QString &masterPassword)
{
    if (previousKey) {
        if (Result<QByteArray> plain = EncryptedFormat::open(encrypted, *previousKey))
            return plain;
    }
    Result<VaultKey> itsKey = VaultKey::forFile(encrypted, masterPassword);
    if (!itsKey)
        return itsKey.error();
    return EncryptedFormat::open(encrypted, itsKey.value());
}

} // namespace

namespace VaultBackup {

Result<void> checkNothingToRestore(const QString &vaultPath)
{
    // A vault reached through a link whose target is away (a drive, a synced folder)
    // went missing too; a new one would take the link's place.
    if (const QFileInfo link(vaultPath); link.isSymLink() && !link.exists())
        return Error{u"The vault file \"%1\" is a link to \"%2\", which is not there (on a drive or in a "
                     "folder that is away?), so no new vault is started in its place. Nothing was "
                     "written."_s.arg(native(vaultPath), native(link.symLinkTarget()))};
    const QString backup = VaultFile::backupPathOf(vaultPath);
    if (holdsVault(vaultPath) || !holdsVault(backup))
        return {};
    return Error{u"The vault file \"%1\" is missing or empty, but its backup \"%2\" still holds a vault, "
                 "so no new vault is started over it.\n\nTo get your entries back, close Keyholder and "
                 "copy \"%2\" over \"%1\", then open the vault again."_s.arg(native(vaultPath), native(backup))};
}

Error withRestoreAdvice(const QString &vaultPath, const Error &damaged)
{
    const QString backup = VaultFile::backupPathOf(vaultPath);
    const QString advice = QFileInfo(backup).isFile()
            ? u"The version before the last save is kept in \"%1\". To go back to it, close Keyholder "
              "and copy \"%1\" over \"%2\"."_s.arg(native(backup), native(vaultPath))
            : u"There is no backup beside it (\"%1\"): restore the vault from a copy of your own."_s.arg(
                    native(backup));
    return {damaged.message + u"\n\n"_s + advice, damaged.kind};
}

Result<void> convert(const QString &vaultPath, const std::optional<VaultKey> &newKey, const QString &masterPassword,
                     const std::optional<VaultKey> &previousKey)
{
    const QString backup = VaultFile::backupPathOf(vaultPath);
    if (!QFileInfo(backup).isFile())
        return {};
    Result<QByteArray> bytes = VaultFile::read(backup);
    if (!bytes)
        return bytes.error();
    if (EncryptedFormat::isEncrypted(bytes.value()) == newKey.has_value())
        return {};
    Result<QByteArray> converted = newKey ? sealed(bytes.value(), *newKey, masterPassword)
                                          : opened(bytes.value(), previousKey, masterPassword);
    Wipe::bytes(bytes.value());
    // Sealed under a password not known here it stays as it is: encrypted, it gives nothing away.
    if (!converted)
        return newKey ? Result<void>(converted.error()) : Result<void>();
    Result<void> written = VaultFile::write(backup, converted.value());
    Wipe::bytes(converted.value());
    if (!written)
        return Error{u"The vault was converted, but its backup \"%1\" could not be: %2"_s.arg(
                native(backup), written.message())};
    return {};
}

} // namespace VaultBackup
