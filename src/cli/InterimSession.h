#pragma once

// Stands in for the core's vault session until it lands, with the same calls
// the commands use; removed then.
#include "vault/Result.h"
#include "vault/VaultEntry.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

class VaultSession
{
public:
    enum class SaveStatus { Saved, Conflict };

    struct Entries
    {
        std::vector<VaultEntry> rows;
        const std::vector<VaultEntry> &entries() const { return rows; }
        const VaultEntry &entry(int row) const { return rows.at(size_t(row)); }
    };

    explicit VaultSession(QString vaultPath) : m_path(std::move(vaultPath)) {}

    Result<void> acquireLock();
    Result<void> open();
    bool needsNewMasterPassword() const { return m_storedPassword.isEmpty(); }
    Result<bool> unlock(const QString &password);
    Result<void> createMasterPassword(const QString &password);
    const Entries &entries() const { return m_entries; }

    Result<SaveStatus> add(const VaultEntry &entry);
    Result<SaveStatus> replace(int row, const VaultEntry &entry);
    Result<SaveStatus> remove(int row);
    const QString &conflictReason() const { return m_storedPassword; }

private:
    Result<SaveStatus> save(std::vector<VaultEntry> rows);

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    QByteArray m_bytes;
    QString m_storedPassword;
    Entries m_entries;
};
