#pragma once

#include "EncryptedFormat.h"
#include "Result.h"

#include <QByteArrayView>
#include <QString>

// The key of an encrypted vault, derived once at unlock. Its bytes live in
// libsodium's guarded memory and are wiped when the key is dropped.
class VaultKey
{
public:
    static constexpr qsizetype Size = 32;

    // A key with a fresh salt, for a vault about to be encrypted.
    static Result<VaultKey> createNew(const QString &masterPassword, EncryptedFormat::KdfLimits limits);
    // The key for an encrypted file, with the salt and limits its header gives.
    // A header it cannot read fails with ErrorKind::DamagedFile, before any derivation.
    static Result<VaultKey> forFile(QByteArrayView encryptedFileBytes, const QString &masterPassword);

    VaultKey(VaultKey &&other) noexcept;
    VaultKey &operator=(VaultKey &&other) noexcept;
    VaultKey(const VaultKey &) = delete;
    VaultKey &operator=(const VaultKey &) = delete;
    ~VaultKey();

    EncryptedFormat::KdfLimits limits() const { return m_limits; }
    const std::array<unsigned char, EncryptedFormat::SaltSize> &salt() const { return m_salt; }
    // For the sealing code only.
    const unsigned char *bytes() const { return m_bytes; }

private:
    VaultKey(unsigned char *bytes, EncryptedFormat::KdfLimits limits,
             const std::array<unsigned char, EncryptedFormat::SaltSize> &salt);
    static Result<VaultKey> derive(const QString &masterPassword, EncryptedFormat::KdfLimits limits,
                                   const std::array<unsigned char, EncryptedFormat::SaltSize> &salt);

    unsigned char *m_bytes = nullptr;
    EncryptedFormat::KdfLimits m_limits;
    std::array<unsigned char, EncryptedFormat::SaltSize> m_salt{};
};
