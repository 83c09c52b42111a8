#include "VaultKey.h"

#include "Windows1252.h"

#include <sodium.h>

#include <utility>

using namespace Qt::StringLiterals;

VaultKey::VaultKey(unsigned char *bytes, EncryptedFormat::KdfLimits limits,
                   const std::array<unsigned char, EncryptedFormat::SaltSize> &salt)
    : m_bytes(bytes), m_limits(limits), m_salt(salt)
{
}

VaultKey::VaultKey(VaultKey &&other) noexcept
    : m_bytes(std::exchange(other.m_bytes, nullptr)), m_limits(other.m_limits), m_salt(other.m_salt)
{
}

VaultKey &VaultKey::operator=(VaultKey &&other) noexcept
{
    if (this != &other) {
        VaultKey dropped(std::move(*this));
        m_bytes = std::exchange(other.m_bytes, nullptr);
        m_limits = other.m_limits;
        m_salt = other.m_salt;
    }
    return *this;
}

VaultKey::~VaultKey()
{
    if (m_bytes) {
        sodium_memzero(m_bytes, Size);
        sodium_free(m_bytes);
    }
}

Result<VaultKey> VaultKey::createNew(const QString &masterPassword, EncryptedFormat::KdfLimits limits)
{
    // The salt is drawn by libsodium, which must be started first.
    if (!EncryptedFormat::sodiumReady())
        return Error{u"The encryption library could not be started."_s};
    std::array<unsigned char, EncryptedFormat::SaltSize> salt;
    randombytes_buf(salt.data(), salt.size());
    return derive(masterPassword, limits, salt);
}

Result<VaultKey> VaultKey::forFile(QByteArrayView encryptedFileBytes, const QString &masterPassword)
{
    Result<EncryptedFormat::Header> header = EncryptedFormat::readHeader(encryptedFileBytes);
    if (!header)
        return header.error();
    return derive(masterPassword, header->limits, header->salt);
}

Result<VaultKey> VaultKey::derive(const QString &masterPassword, EncryptedFormat::KdfLimits limits,
                                  const std::array<unsigned char, EncryptedFormat::SaltSize> &salt)
{
    if (!EncryptedFormat::sodiumReady())
        return Error{u"The encryption library could not be started."_s};
    if (!EncryptedFormat::limitsAccepted(limits))
        return Error{u"The key derivation limits are out of range."_s};
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(Size));
    if (!bytes)
        return Error{u"There is not enough memory to keep the vault key."_s};
    VaultKey key(bytes, limits, salt);

    // The file stores the password in 1252, so the key is derived from the same bytes.
    QByteArray password = Windows1252::encode(masterPassword);
    const int derived = crypto_pwhash(bytes, Size, password.constData(), quint64(password.size()),
                                      salt.data(), limits.opsLimit, size_t(limits.memLimit),
                                      crypto_pwhash_ALG_ARGON2ID13);
    sodium_memzero(password.data(), size_t(password.size()));
    if (derived != 0)
        return Error{u"There is not enough memory to derive the vault key (%1 MiB needed)."_s
                             .arg(limits.memLimit >> 20)};
    return key;
}
