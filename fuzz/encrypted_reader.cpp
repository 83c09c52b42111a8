// Any bytes must go through the encrypted header and body reader without a
// crash, and a sealed vault changed in any way must never open.
#include "vault/EncryptedFormat.h"
#include "vault/VaultFormat.h"
#include "vault/VaultKey.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// One key at the smallest limits, derived once: deriving per input would
// leave no time for fuzzing.
const VaultKey &key()
{
    static const VaultKey derived = [] {
        Result<VaultKey> made = VaultKey::createNew(u"fuzz master"_s, {EncryptedFormat::MinOpsLimit,
                                                                         EncryptedFormat::MinMemLimit});
        if (!made)
            std::abort();
        return std::move(made).value();
    }();
    return derived;
}

const QByteArray &plain()
{
    static const QByteArray bytes = VaultFormat::serialize(
            u"fuzz master"_s, {EntryRow(VaultEntry{u"user"_s, u"pässword"_s, u"https://example.com"_s})});
    return bytes;
}

const QByteArray &sealed()
{
    static const QByteArray bytes = EncryptedFormat::seal(plain(), key());
    return bytes;
}

// The first byte picks a change to the sealed vault, the next two where it
// starts; the rest is what goes in.
QByteArray changedSealedVault(QByteArrayView input)
{
    QByteArray file = sealed();
    if (input.size() < 3)
        return file;
    const qsizetype at = ((quint8(input[1]) << 8) | quint8(input[2])) % (file.size() + 1);
    const QByteArrayView rest = input.sliced(3);
    switch (quint8(input[0]) % 4) {
    case 0: // bits flipped
        for (qsizetype i = 0; i < rest.size() && at + i < file.size(); ++i)
            file[at + i] = char(file[at + i] ^ rest[i]);
        break;
    case 1: // cut short
        file.truncate(at);
        break;
    case 2: // bytes put in
        file.insert(at, rest);
        break;
    default: // bytes put at the end
        file.append(rest);
        break;
    }
    return file;
}

void checkOpens(QByteArrayView file)
{
    const Result<QByteArray> opened = EncryptedFormat::open(file, key());
    if (file == sealed()) {
        if (!opened || opened.value() != plain())
            std::abort();
    } else if (opened) {
        std::abort();
    } else if (opened.errorKind() != ErrorKind::DecryptionFailed
               && opened.errorKind() != ErrorKind::DamagedFile) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const Result<EncryptedFormat::Header> header = EncryptedFormat::readHeader(input);
    if (header && !EncryptedFormat::limitsAccepted(header->limits))
        std::abort();
    checkOpens(input);
    checkOpens(changedSealedVault(input));
    return 0;
}
