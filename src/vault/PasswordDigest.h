#pragma once

#include <QStringView>

#include <array>

// A password's BLAKE2b digest, so two passwords are compared in constant time
// whatever their lengths, and a password can be recognised without a copy of it.
class PasswordDigest
{
public:
    explicit PasswordDigest(QStringView password);
    ~PasswordDigest();
    PasswordDigest(const PasswordDigest &) = default;
    PasswordDigest &operator=(const PasswordDigest &) = default;

    bool matches(const PasswordDigest &other) const;

private:
    std::array<unsigned char, 32> m_bytes{};
};
