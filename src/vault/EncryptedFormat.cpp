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
static_assert(NonceAt + NonceSize == HeaderSize);

Error damaged(const QString &why)
{
    return Error{u"The vault file is damaged or was written by a newer program: %1"_s.arg(why),
                 ErrorKind::DamagedFile};
}

QByteArray headerBytes(const Header &header)
{
    QByteArray bytes(HeaderSize, '\0');
    char *out = bytes.data();
    std::memcpy(out, Magic.data(), Magic.size());
    out[VersionAt] = char(Version);
    out[KdfAt] = char(KdfArgon2id13);
    qToLittleEndian(header.limits.opsLimit, out + OpsAt);
    qToLittleEndian(header.limits.memLimit, out + MemAt);
    std::memcpy(out + SaltAt, header.salt.data(), SaltSize);
    std::memcpy(out + NonceAt, header.nonce.data(), NonceSize);
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
    if (fileBytes.size() < HeaderSize)
        return damaged(u"its header is cut short."_s);
    if (fileBytes.first(Magic.size()) != QByteArrayView(Magic.data(), Magic.size()))
        return damaged(u"it does not start like a Keyholder vault."_s);
    if (quint8(fileBytes[VersionAt]) != Version)
        return damaged(u"its format version %1 is unknown."_s.arg(quint8(fileBytes[VersionAt])));
    if (quint8(fileBytes[KdfAt]) != KdfArgon2id13)
        return damaged(u"its key derivation %1 is unknown."_s.arg(quint8(fileBytes[KdfAt])));
    Header header;
    header.limits = {qFromLittleEndian<quint64>(fileBytes.data() + OpsAt),
                     qFromLittleEndian<quint64>(fileBytes.data() + MemAt)};
    if (!limitsAccepted(header.limits))
        return damaged(u"its key derivation limits are out of range."_s);
    std::memcpy(header.salt.data(), fileBytes.data() + SaltAt, SaltSize);
    std::memcpy(header.nonce.data(), fileBytes.data() + NonceAt, NonceSize);
    if (fileBytes.size() < HeaderSize + TagSize)
        return damaged(u"it ends before its contents."_s);
    return header;
}

Result<QByteArray> open(QByteArrayView fileBytes, const VaultKey &key)
{
    const Result<Header> header = readHeader(fileBytes);
    if (!header)
        return Error{header.error(), header.errorKind()};
    const QByteArrayView sealed = fileBytes.sliced(HeaderSize);
    QByteArray plain(sealed.size() - TagSize, Qt::Uninitialized);
    unsigned long long plainSize = 0;
    // The header as read is the associated data: a changed limit or salt fails here too.
    const int opened = crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char *>(plain.data()), &plainSize, nullptr,
            unsignedData(sealed), quint64(sealed.size()),
            unsignedData(fileBytes), quint64(HeaderSize), header->nonce.data(), key.bytes());
    if (opened != 0)
        return Error{u"The vault could not be decrypted: the password is wrong or the file was changed."_s,
                     ErrorKind::DecryptionFailed};
    plain.truncate(qsizetype(plainSize));
    return plain;
}

QByteArray seal(QByteArrayView scrambledFormatBytes, const VaultKey &key)
{
    Header header{key.limits(), key.salt(), {}};
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
