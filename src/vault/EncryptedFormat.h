#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <optional>

class VaultKey;

// The encrypted data.enc: a header, then the bytes the scrambled format would
// write, sealed with XChaCha20-Poly1305 under a key derived by Argon2id. The
// header is authenticated too, so no byte of the file can change unnoticed.
namespace EncryptedFormat {

inline constexpr std::array<char, 8> Magic{'\0', 'K', 'H', 'V', '1', '\r', '\n', '\x1a'};
// Version 2 adds the key check; version 1 files are still read, and written as 2.
inline constexpr quint8 Version = 2;
inline constexpr quint8 VersionWithoutKeyCheck = 1;
inline constexpr quint8 KdfArgon2id13 = 1;
inline constexpr qsizetype SaltSize = 16;
inline constexpr qsizetype NonceSize = 24;
inline constexpr qsizetype KeyCheckSize = 32;
inline constexpr qsizetype HeaderSizeWithoutKeyCheck = qsizetype(Magic.size()) + 2 + 8 + 8 + SaltSize + NonceSize;
inline constexpr qsizetype HeaderSize = HeaderSizeWithoutKeyCheck + KeyCheckSize;
inline constexpr qsizetype TagSize = 16;

struct KdfLimits
{
    quint64 opsLimit = 0;
    quint64 memLimit = 0; // bytes

    friend bool operator==(const KdfLimits &, const KdfLimits &) = default;
};

// What a header may ask for. More would let a damaged or hostile file stall the
// machine before the password is even checked.
inline constexpr quint64 MinMemLimit = 8 * 1024;
inline constexpr quint64 MaxMemLimit = quint64(1) << 30;
inline constexpr quint64 MinOpsLimit = 1;
inline constexpr quint64 MaxOpsLimit = 64;
inline constexpr quint64 MaxWork = quint64(4) << 30; // opsLimit * memLimit
bool limitsAccepted(KdfLimits limits);

// Memory used when a vault is encrypted; the passes are tuned to the machine.
inline constexpr quint64 CalibratedMemLimit = quint64(64) << 20;
inline constexpr int CalibrationTargetMs = 750;
// Limits for which deriving a key takes about CalibrationTargetMs here.
KdfLimits calibrate();

struct Header
{
    quint8 version = Version;
    KdfLimits limits;
    std::array<unsigned char, SaltSize> salt{};
    std::array<unsigned char, NonceSize> nonce{};
    // A value only the right key gives, so a wrong password is told from a
    // damaged file. Absent in version 1.
    std::optional<std::array<unsigned char, KeyCheckSize>> keyCheck;

    qsizetype size() const { return keyCheck ? HeaderSize : HeaderSizeWithoutKeyCheck; }
};

// libsodium is set up once, before its first use; false when it cannot be.
bool sodiumReady();

// A scrambled vault never starts with 0x00: its cipher maps every byte to 0x01 or above.
bool isEncrypted(QByteArrayView fileBytes);

// Refuses with ErrorKind::DamagedFile what is not a header this program writes.
Result<Header> readHeader(QByteArrayView fileBytes);

// The scrambled-format bytes inside. A wrong key fails with ErrorKind::DecryptionFailed;
// so does a changed byte in a version 1 file, where the two cannot be told apart.
// An unreadable header, or a body that the right key does not open, fails with
// ErrorKind::DamagedFile.
Result<QByteArray> open(QByteArrayView fileBytes, const VaultKey &key);

// A fresh nonce on every call, so no two saves share one.
QByteArray seal(QByteArrayView scrambledFormatBytes, const VaultKey &key);

} // namespace EncryptedFormat
