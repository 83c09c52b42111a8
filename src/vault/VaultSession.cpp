#include "VaultSession.h"

#include "VaultFile.h"
#include "VaultFormat.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <new>

using namespace Qt::StringLiterals;

namespace {

Result<VaultFormat::Contents> parse(const QByteArray &bytes)
{
    try {
        return VaultFormat::parse(bytes);
    } catch (const std::bad_alloc &) {
        return Error{u"There is not enough memory to open the vault file."_s};
    }
}

Error lockError(const QLockFile &lock, const QString &vaultPath)
{
    const QString path = QDir::toNativeSeparators(vaultPath);
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return {u"Keyholder is already open with this vault: "_s + path};
    case QLockFile::PermissionError:
        return {u"Could not lock the vault file \"%1\": its folder \"%2\" cannot be written."_s.arg(
                path, QDir::toNativeSeparators(QFileInfo(vaultPath).absolutePath()))};
    default:
        return {u"Could not lock the vault file \"%1\"."_s.arg(path)};
    }
}

// The first entry with exactly these three texts.
std::vector<VaultEntry>::iterator find(std::vector<VaultEntry> &entries, const VaultEntry &entry)
{
    return std::find(entries.begin(), entries.end(), entry);
}

} // namespace

VaultSession::VaultSession(QString vaultPath, QObject *parent)
    : QObject(parent), m_path(std::move(vaultPath)), m_entries(this)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &VaultSession::onFileEvent);
}

VaultSession::~VaultSession() = default;

Result<void> VaultSession::acquireLock()
{
    if (holdsLock())
        return {};
    auto lock = std::make_unique<QLockFile>(m_path + u".lock"_s);
    // Only a lock whose program is gone is stale, however long it was held.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        m_openElsewhere = lock->error() == QLockFile::LockFailedError;
        return lockError(*lock, m_path);
    }
    m_lock = std::move(lock);
    return {};
}

void VaultSession::releaseLock()
{
    m_lock.reset();
}

bool VaultSession::holdsLock() const
{
    return m_lock && m_lock->isLocked();
}

Result<QByteArray> VaultSession::readFile() const
{
    return VaultFile::read(m_path);
}

Result<void> VaultSession::open()
{
    if (Result<void> ensured = VaultFile::EnsureVaultFile(m_path); !ensured)
        return ensured;
    Result<QByteArray> bytes = readFile();
    if (!bytes)
        return Error{bytes.error()};
    m_storedPassword = VaultFormat::readMasterPassword(bytes.value());
    return {};
}

Result<bool> VaultSession::unlock(const QString &password)
{
    if (password != m_storedPassword)
        return false;
    Result<QByteArray> bytes = readFile();
    if (!bytes)
        return Error{bytes.error()};
    Result<VaultFormat::Contents> contents = parse(bytes.value());
    if (!contents)
        return Error{contents.error()};
    m_masterPassword = password;
    const int count = static_cast<int>(contents->Entries.size());
    m_entries.append(std::move(contents->Entries));
    remember(bytes.value());
    emit unlocked(count);
    return true;
}

Result<void> VaultSession::createMasterPassword(const QString &password)
{
    Result<QByteArray> existing = readFile();
    if (!existing)
        return Error{existing.error()};
    // Entry lines of a vault that never had a master password are kept.
    const QByteArray bytes = VaultFormat::withFirstMasterPassword(existing.value(), password);
    if (Result<void> written = VaultFile::write(m_path, bytes, VaultFile::Backup::KeepPrevious); !written)
        return written;
    m_storedPassword = m_masterPassword = password;
    m_entries.append(VaultFormat::parse(bytes).Entries);
    remember(bytes);
    emit masterPasswordCreated();
    return {};
}

Result<VaultSession::SaveStatus> VaultSession::add(const VaultEntry &entry)
{
    m_entries.add(entry);
    return record({Change::Add, {}, entry});
}

Result<VaultSession::SaveStatus> VaultSession::replace(int row, const VaultEntry &entry)
{
    const VaultEntry before = m_entries.entry(row);
    m_entries.replace(row, entry);
    return record({Change::Edit, before, entry});
}

Result<VaultSession::SaveStatus> VaultSession::remove(int row)
{
    const VaultEntry before = m_entries.entry(row);
    m_entries.remove(row);
    return record({Change::Delete, before, {}});
}

Result<VaultSession::SaveStatus> VaultSession::record(Change change)
{
    m_pending.push_back(std::move(change));
    return save();
}

Result<VaultSession::SaveStatus> VaultSession::save()
{
    m_conflictReason.clear();
    if (changedOnDisk()) {
        Result<QByteArray> bytes = readFile();
        Result<VaultFormat::Contents> disk =
                bytes ? parse(bytes.value()) : Result<VaultFormat::Contents>(Error{bytes.error()});
        if (!disk)
            m_conflictReason = u"it can no longer be read. "_s + disk.error();
        else if (disk->MasterPassword != m_masterPassword)
            m_conflictReason = u"its master password was changed."_s;
        else if (!applyPending(disk->Entries))
            m_conflictReason = u"an entry changed here was changed or deleted there."_s;
        if (!m_conflictReason.isEmpty())
            return SaveStatus::Conflict;
        m_entries.resetEntries(std::move(disk->Entries));
    }
    if (Result<void> written = write(m_entries.entries()); !written)
        return Error{written.error()};
    return SaveStatus::Saved;
}

Result<void> VaultSession::saveOverwriting()
{
    return write(m_entries.entries());
}

Result<void> VaultSession::write(const std::vector<VaultEntry> &entries)
{
    const QByteArray bytes = VaultFormat::serialize(m_masterPassword, entries);
    if (Result<void> written = VaultFile::write(m_path, bytes, VaultFile::Backup::KeepPrevious); !written)
        return written;
    m_pending.clear();
    remember(bytes);
    return {};
}

// Edits and deletions find their entry by its three old texts.
bool VaultSession::applyPending(std::vector<VaultEntry> &entries) const
{
    for (const Change &change : m_pending) {
        if (change.kind == Change::Add) {
            entries.push_back(change.after);
            continue;
        }
        const auto it = find(entries, change.before);
        if (it == entries.end())
            return false;
        if (change.kind == Change::Edit)
            *it = change.after;
        else
            entries.erase(it);
    }
    return true;
}

// Only another vault file can hold changes to keep: a file that is gone is
// written anew, and whatever took a file's place makes the write say why it failed.
bool VaultSession::changedOnDisk() const
{
    return QFileInfo(m_path).isFile() && !m_fingerprint.matchesFileAt(m_path);
}

Result<bool> VaultSession::reloadIfChangedOutside()
{
    if (m_masterPassword.isEmpty() || hasUnsavedChanges() || !changedOnDisk())
        return false;
    Result<QByteArray> bytes = readFile();
    if (!bytes)
        return Error{bytes.error()};
    Result<VaultFormat::Contents> disk = parse(bytes.value());
    if (!disk)
        return Error{disk.error()};
    // A new master password is for the next start; the next save asks first.
    if (disk->MasterPassword != m_masterPassword)
        return false;
    m_entries.resetEntries(std::move(disk->Entries));
    remember(bytes.value());
    return true;
}

void VaultSession::remember(const QByteArray &fileBytes)
{
    m_fingerprint = VaultFingerprint::of(m_path, fileBytes);
    watchFile();
}

// A file replaced by a rename drops out of the watch; it is watched again each time.
void VaultSession::watchFile()
{
    if (!m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void VaultSession::onFileEvent()
{
    watchFile();
    if (changedOnDisk())
        emit changedOutside();
}
