#include "InterimSession.h"

#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"

#include <QDir>

using namespace Qt::StringLiterals;

Result<void> VaultSession::acquireLock()
{
    m_lock = std::make_unique<QLockFile>(m_path + u".lock"_s);
    if (!m_lock->tryLock())
        return Error{u"The vault \"%1\" is open in Keyholder or another program; close it first"_s.arg(QDir::toNativeSeparators(m_path))};
    return {};
}

Result<void> VaultSession::open()
{
    QString error;
    if (!VaultFile::EnsureVaultFile(m_path, &error))
        return Error{error};
    VaultFile::ReadResult read = VaultFile::read(m_path);
    if (!read.ok)
        return Error{read.error};
    m_bytes = read.bytes;
    m_storedPassword = VaultFormat::readMasterPassword(m_bytes);
    return {};
}

Result<bool> VaultSession::unlock(const QString &password)
{
    if (password != m_storedPassword)
        return false;
    m_entries.rows = VaultFormat::parse(m_bytes).Entries;
    return true;
}

Result<void> VaultSession::createMasterPassword(const QString &password)
{
    QString error;
    if (!VaultFile::write(m_path, VaultFormat::withFirstMasterPassword(m_bytes, password), &error))
        return Error{error};
    m_storedPassword = password;
    return {};
}

Result<VaultSession::SaveStatus> VaultSession::add(const VaultEntry &entry)
{
    std::vector<VaultEntry> rows = m_entries.rows;
    rows.push_back(entry);
    return save(std::move(rows));
}

Result<VaultSession::SaveStatus> VaultSession::replace(int row, const VaultEntry &entry)
{
    std::vector<VaultEntry> rows = m_entries.rows;
    rows.at(size_t(row)) = entry;
    return save(std::move(rows));
}

Result<VaultSession::SaveStatus> VaultSession::remove(int row)
{
    std::vector<VaultEntry> rows = m_entries.rows;
    rows.erase(rows.begin() + row);
    return save(std::move(rows));
}

Result<VaultSession::SaveStatus> VaultSession::save(std::vector<VaultEntry> rows)
{
    QString error;
    if (!VaultFile::write(m_path, VaultFormat::serialize(m_storedPassword, rows), &error))
        return Error{error};
    m_entries.rows = std::move(rows);
    return SaveStatus::Saved;
}
