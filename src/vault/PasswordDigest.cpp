#include "PasswordDigest.h"

#include "EncryptedFormat.h"

#include <sodium.h>

PasswordDigest::PasswordDigest(QStringView password)
{
    // BLAKE2b works before sodium_init too, only more slowly; a failed start is reported elsewhere.
    EncryptedFormat::sodiumReady();
    crypto_generichash(m_bytes.data(), m_bytes.size(), reinterpret_cast<const unsigned char *>(password.utf16()),
                       size_t(password.size()) * sizeof(char16_t), nullptr, 0);
}

PasswordDigest::~PasswordDigest()
{
    sodium_memzero(m_bytes.data(), m_bytes.size());
}

bool PasswordDigest::matches(const PasswordDigest &other) const
{
    return sodium_memcmp(m_bytes.data(), other.m_bytes.data(), m_bytes.size()) == 0;
}
