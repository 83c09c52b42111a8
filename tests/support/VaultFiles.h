#pragma once

// Files on disk as the tests set them up and read them back: the vault, its
// backup, links, another program's writes, and the program's other files.

#include "vault/EncryptedFormat.h"
#include "vault/EntryRow.h"
#include "vault/VaultEntry.h"
#include "vault/VaultFormat.h"
#include "vault/VaultKey.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <vector>

namespace VaultFiles {

// Fails the whole test program: a fixture that cannot be written tests nothing.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A file under tests/data, such as "vault/saved.enc"; one that is missing fails the whole test program.
inline QByteArray testData(const QString &name)
{
    QFile file(QStringLiteral(KEYHOLDER_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return file.readAll();
}

inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Entries as the tests spell them, as rows, and back.
inline std::vector<EntryRow> rowsOf(const std::vector<VaultEntry> &entries)
{
    return {entries.begin(), entries.end()};
}

inline std::vector<VaultEntry> entriesOf(const std::vector<EntryRow> &rows)
{
    std::vector<VaultEntry> entries;
    for (const EntryRow &row : rows)
        entries.push_back(row.entry());
    return entries;
}

// The tests' vaults open with abcd unless they say otherwise.
inline QByteArray vaultOf(const std::vector<VaultEntry> &entries, const QString &master = QStringLiteral("abcd"))
{
    return VaultFormat::serialize(master, rowsOf(entries));
}

// The same vault encrypted, with a key quick to derive: the tests are about
// the file, not the key's strength.
inline QByteArray encryptedVaultOf(const std::vector<VaultEntry> &entries,
                                   const QString &master = QStringLiteral("abcd"))
{
    Result<VaultKey> key = VaultKey::createNew(master, {1, EncryptedFormat::MinMemLimit});
    if (!key)
        qFatal("cannot make a vault key: %s", qPrintable(key.message()));
    return EncryptedFormat::seal(vaultOf(entries, master), key.value());
}

// The vault as another program leaves it: other bytes, another time.
inline void rewriteOutside(const QString &path, const QByteArray &bytes)
{
    writeFile(path, bytes);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}

// A lock file as Keyholder on another computer (or an ended process here) leaves it.
inline void writeLockOf(const QString &vaultPath, qint64 pid, const QString &host)
{
    writeFile(vaultPath + QStringLiteral(".lock"),
              QByteArray::number(pid) + "\nkeyholder\n" + host.toUtf8() + "\n");
}

} // namespace VaultFiles
