// Any bytes must read without a crash or a hang, and write again straight from
// themselves as a save of what was read; any storable vault must come back
// unchanged from a save.
#include "vault/VaultFormat.h"
#include "vault/Windows1252.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

// The first byte picks how the rest becomes text: Windows-1252 reaches every
// byte the file can hold, UTF-8 reaches characters it cannot.
QString textFrom(QByteArrayView bytes, bool asUtf8)
{
    return asUtf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
}

// NUL separates the texts: it is unstorable, so no storable text loses one.
QList<QStringView> textsOf(const QString &text)
{
    return QStringView(text).split(QChar(0));
}

VaultFormat::Contents storableContents(const QList<QStringView> &texts)
{
    VaultFormat::Contents contents;
    if (VaultFormat::unstorableReason(texts.value(0)).isEmpty())
        contents.MasterPassword = texts.value(0).toString();
    for (qsizetype i = 1; i + 2 < texts.size(); i += 3) {
        const VaultEntry entry{texts[i].toString(), texts[i + 1].toString(), texts[i + 2].toString()};
        using VaultFormat::Field;
        const bool storable =
                VaultFormat::fieldUnstorableReason(entry.Username, Field::Username).isEmpty()
                && VaultFormat::fieldUnstorableReason(entry.Password, Field::Password).isEmpty()
                && VaultFormat::fieldUnstorableReason(entry.Location, Field::Location).isEmpty();
        if (storable)
            contents.Rows.emplace_back(entry);
    }
    return contents;
}

void checkRoundTrip(const VaultFormat::Contents &contents)
{
    const QByteArray saved = VaultFormat::serialize(contents.MasterPassword, contents.Rows);
    if (VaultFormat::parse(saved) != contents)
        std::abort();
    if (VaultFormat::readMasterPassword(saved) != contents.MasterPassword)
        std::abort();
    if (VaultFormat::parse(VaultFormat::masterOnly(contents.MasterPassword)) != VaultFormat::Contents{contents.MasterPassword, {}})
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const VaultFormat::Contents read = VaultFormat::parse(bytes);
    if (VaultFormat::readMasterPassword(bytes) != read.MasterPassword)
        std::abort();
    // Written again straight from its bytes, a file is what a save of what was read writes.
    qsizetype entries = -1;
    if (VaultFormat::serializeAfterFile(bytes, {}, &entries) != VaultFormat::serialize(read.MasterPassword, read.Rows)
        || entries != qsizetype(read.Rows.size()))
        std::abort();

    if (!bytes.isEmpty()) {
        const QString text = textFrom(bytes.sliced(1), bytes.front() & 1);
        checkRoundTrip(storableContents(textsOf(text)));
    }
    return 0;
}
