#include "EncryptedFormat.h"

#include "VaultKey.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace EncryptedFormat {

namespace {

static_assert(VaultKey::Size == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(NonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(TagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(SaltSize == crypto_pwhash_SALTBYTES);
static_assert(MinMemLimit >= crypto_pwhash_argon2id_MEMLIMIT_MIN);
static_assert(MinOpsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MIN);

// Offsets in the header; the integers are little-endian.
constexpr qsizetype VersionAt = qsizetype(Magic.size());
constexpr qsizetype KdfAt = VersionAt + 1;
constexpr qsizetype OpsAt = KdfAt + 1;
constexpr qsizetype MemAt = OpsAt + 8;
constexpr qsizetype SaltAt = MemAt + 8;
constexpr qsizetype NonceAt = SaltAt + SaltSize;
constexpr qsizetype KeyCheckAt = NonceAt + NonceSize;
static_assert(KeyCheckAt == HeaderSizeWithoutKeyCheck);
static_assert(KeyCheckAt + KeyCheckSize == HeaderSize);

// BLAKE2b keyed with the vault key, over a text of its own: it says whether a
// key is the right one and gives nothing of the key away.
constexpr QByteArrayView KeyCheckContext = "Keyholder vault key check";

Error damaged(const QString &why)
{
    return Error{u"The vault file is damaged or was written by a newer program: %1"_s.arg(why),
                 ErrorKind::DamagedFile};
}

std::array<unsigned char, KeyCheckSize> keyCheckOf(const VaultKey &key)
{
    std::array<unsigned char, KeyCheckSize> check{};
    crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char *>(KeyCheckContext.data()),
                       quint64(KeyCheckContext.size()), key.bytes(), VaultKey::Size);
    return check;
}

QByteArray headerBytes(const Header &header)
{
    QByteArray bytes(header.size(), '\0');
    char *out = bytes.data();
    std::memcpy(out, Magic.data(), Magic.size());
    out[VersionAt] = char(header.version);
    out[KdfAt] = char(KdfArgon2id13);
    qToLittleEndian(header.limits.opsLimit, out + OpsAt);
    qToLittleEndian(header.limits.memLimit, out + MemAt);
    std::memcpy(out + SaltAt, header.salt.data(), SaltSize);
    std::memcpy(out + NonceAt, header.nonce.data(), NonceSize);
    if (header.keyCheck)
        std::memcpy(out + KeyCheckAt, header.keyCheck->data(), KeyCheckSize);
    return bytes;
}

const unsigned char *unsignedData(QByteArrayView bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

} // namespace

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

bool limitsAccepted(KdfLimits limits)
{
    return limits.opsLimit >= MinOpsLimit && limits.opsLimit <= MaxOpsLimit
            && limits.memLimit >= MinMemLimit && limits.memLimit <= MaxMemLimit
            && limits.opsLimit * limits.memLimit <= MaxWork;
}

KdfLimits calibrate()
{
    const quint64 mostPasses = std::min(MaxOpsLimit, MaxWork / CalibratedMemLimit);
    const auto msToDerive = [](quint64 passes) {
        QElapsedTimer timer;
        timer.start();
        const bool derived = VaultKey::createNew(u"calibration"_s, {passes, CalibratedMemLimit}).ok();
        return derived ? std::max(1.0, double(timer.nsecsElapsed()) / 1e6) : -1.0;
    };
    // Scaled twice: the second timing, near the target, corrects for the fixed
    // cost of taking the memory. A busy machine only makes the result smaller.
    quint64 passes = 2;
    for (int round = 0; round < 2; ++round) {
        const double ms = msToDerive(passes);
        if (ms < 0)
            return {MinOpsLimit, CalibratedMemLimit};
        passes = std::clamp(quint64(double(passes) * CalibrationTargetMs / ms + 0.5), MinOpsLimit, mostPasses);
    }
    return {passes, CalibratedMemLimit};
}

bool isEncrypted(QByteArrayView fileBytes)
{
    return !fileBytes.isEmpty() && fileBytes.front() == '\0';
}

Result<Header> readHeader(QByteArrayView fileBytes)
{
    if (fileBytes.size() < HeaderSizeWithoutKeyCheck)
        return damaged(u"its header is cut short."_s);
    if (fileBytes.first(Magic.size()) != QByteArrayView(Magic.data(), Magic.size()))
        return damaged(u"it does not start like a Keyholder vault."_s);
    const quint8 version = quint8(fileBytes[VersionAt]);
    if (version != Version && version != VersionWithoutKeyCheck)
        return damaged(u"its format version %1 is unknown."_s.arg(version));
    if (version == Version && fileBytes.size() < HeaderSize)
        return damaged(u"its header is cut short."_s);
    if (quint8(fileBytes[KdfAt]) != KdfArgon2id13)
        return damaged(u"its key derivation %1 is unknown."_s.arg(quint8(fileBytes[KdfAt])));
    Header header;
    header.version = version;
    header.limits = {qFromLittleEndian<quint64>(fileBytes.data() + OpsAt),
                     qFromLittleEndian<quint64>(fileBytes.data() + MemAt)};
    if (!limitsAccepted(header.limits))
        return damaged(u"its key derivation limits are out of range."_s);
    std::memcpy(header.salt.data(), fileBytes.data() + SaltAt, SaltSize);
    std::memcpy(header.nonce.data(), fileBytes.data() + NonceAt, NonceSize);
    if (version == Version) {
        header.keyCheck.emplace();
        std::memcpy(header.keyCheck->data(), fileBytes.data() + KeyCheckAt, KeyCheckSize);
    }
    if (fileBytes.size() < header.size() + TagSize)
        return damaged(u"it ends before its contents."_s);
    return header;
}

Result<QByteArray> open(QByteArrayView fileBytes, const VaultKey &key)
{
    const Result<Header> header = readHeader(fileBytes);
    if (!header)
        return header.error();
    if (header->keyCheck && sodium_memcmp(keyCheckOf(key).data(), header->keyCheck->data(), KeyCheckSize) != 0)
        return Error{u"The vault could not be decrypted: the password is wrong."_s, ErrorKind::DecryptionFailed};
    const qsizetype headerSize = header->size();
    const QByteArrayView sealed = fileBytes.sliced(headerSize);
    QByteArray plain(sealed.size() - TagSize, Qt::Uninitialized);
    unsigned long long plainSize = 0;
    // The header as read is the associated data: a changed limit or salt fails here too.
    const int opened = crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char *>(plain.data()), &plainSize, nullptr,
            unsignedData(sealed), quint64(sealed.size()),
            unsignedData(fileBytes), quint64(headerSize), header->nonce.data(), key.bytes());
    if (opened != 0 && header->keyCheck)
        return Error{u"The vault file is damaged: the password is right, but the contents no longer match "
                     "their seal, so part of the file was changed or cut off."_s, ErrorKind::DamagedFile};
    if (opened != 0)
        return Error{u"The vault could not be decrypted: the password is wrong or the file was changed."_s,
                     ErrorKind::DecryptionFailed};
    plain.truncate(qsizetype(plainSize));
    return plain;
}

QByteArray seal(QByteArrayView scrambledFormatBytes, const VaultKey &key)
{
    Header header{Version, key.limits(), key.salt(), {}, keyCheckOf(key)};
    randombytes_buf(header.nonce.data(), header.nonce.size());
    QByteArray file = headerBytes(header);
    file.resize(HeaderSize + scrambledFormatBytes.size() + TagSize);
    auto *out = reinterpret_cast<unsigned char *>(file.data());
    unsigned long long sealedSize = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
            out + HeaderSize, &sealedSize, unsignedData(scrambledFormatBytes),
            quint64(scrambledFormatBytes.size()), out, quint64(HeaderSize), nullptr,
            header.nonce.data(), key.bytes());
    file.truncate(HeaderSize + qsizetype(sealedSize));
    return file;
}

} // namespace EncryptedFormat
