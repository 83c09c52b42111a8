#include "VaultSession.h"

#include "EncryptedFormat.h"
#include "VaultFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <new>

using namespace Qt::StringLiterals;

namespace {

// A vault too big for the memory left is reported like any unreadable one.
template <class Contents, class Parse>
Result<Contents> parseWithin(const QByteArray &bytes, Parse parse)
{
    try {
        return parse(bytes);
    } catch (const std::bad_alloc &) {
        return Error{u"There is not enough memory to open the vault file."_s};
    }
}

Result<VaultFormat::Contents> parse(const QByteArray &bytes)
{
    return parseWithin<VaultFormat::Contents>(bytes, VaultFormat::parse);
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

Result<QByteArray> VaultSession::plainBytes(const QByteArray &fileBytes) const
{
    if (!EncryptedFormat::isEncrypted(fileBytes))
        return fileBytes;
    if (!m_key)
        return Error{u"The vault file is encrypted with another master password."_s, ErrorKind::DecryptionFailed};
    return EncryptedFormat::open(fileBytes, *m_key);
}

Result<VaultFormat::Contents> VaultSession::readContents(QByteArray *fileBytes) const
{
    Result<QByteArray> bytes = readFile();
    if (!bytes)
        return Error{bytes.error()};
    Result<QByteArray> plain = plainBytes(bytes.value());
    if (!plain)
        return Error{plain.error(), plain.errorKind()};
    if (fileBytes)
        *fileBytes = std::move(bytes).value();
    return parse(plain.value());
}

QByteArray VaultSession::fileBytesFor(const QByteArray &plain) const
{
    return m_key ? EncryptedFormat::seal(plain, *m_key) : plain;
}

Result<void> VaultSession::open()
{
    if (Result<void> ensured = VaultFile::EnsureVaultFile(m_path); !ensured)
        return ensured;
    // The entries are read at unlock, from the file as it is then.
    Result<QByteArray> bytes = VaultFile::readStart(m_path);
    if (!bytes)
        return Error{bytes.error()};
    m_encrypted = EncryptedFormat::isEncrypted(bytes.value());
    if (m_encrypted) {
        // The password is checked by decrypting; the header must at least be ours.
        if (Result<EncryptedFormat::Header> header = EncryptedFormat::readHeader(bytes.value()); !header)
            return Error{header.error(), header.errorKind()};
        return {};
    }
    m_storedPassword = VaultFormat::readMasterPassword(bytes.value());
    return {};
}

Result<bool> VaultSession::unlock(const QString &password)
{
    if (!m_encrypted && password != m_storedPassword)
        return false;
    Result<QByteArray> bytes = readFile();
    if (!bytes)
        return Error{bytes.error()};
    if (m_encrypted) {
        Result<VaultKey> key = VaultKey::forFile(bytes.value(), password);
        if (!key)
            return Error{key.error(), key.errorKind()};
        m_key.emplace(std::move(key).value());
    }
    Result<QByteArray> plain = plainBytes(bytes.value());
    if (!plain) {
        m_key.reset();
        if (plain.errorKind() == ErrorKind::DecryptionFailed)
            return false;
        return Error{plain.error(), plain.errorKind()};
    }
    Result<VaultFormat::RowContents> contents =
            parseWithin<VaultFormat::RowContents>(plain.value(), VaultFormat::parseRows);
    if (!contents)
        return Error{contents.error()};
    // The file may have changed since its master line was read: it is the file that counts.
    if (contents->MasterPassword != password) {
        m_key.reset();
        m_storedPassword = contents->MasterPassword;
        return false;
    }
    m_masterPassword = password;
    const int count = static_cast<int>(contents->Rows.size());
    m_entries.appendRows(std::move(contents->Rows));
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
    m_entries.appendRows(VaultFormat::parseRows(bytes).Rows);
    remember(bytes);
    emit masterPasswordCreated();
    return {};
}

Result<VaultSession::SaveStatus> VaultSession::add(const VaultEntry &entry)
{
    m_entries.add(entry);
    return record({Change::Add, {}, entry});
}

Result<VaultSession::SaveStatus> VaultSession::addAll(std::vector<VaultEntry> entries)
{
    for (const VaultEntry &entry : entries)
        m_pending.push_back({Change::Add, {}, entry});
    m_entries.append(std::move(entries));
    return save();
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
        Result<VaultFormat::Contents> disk = readContents();
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
    if (Result<void> written = write(); !written)
        return Error{written.error()};
    return SaveStatus::Saved;
}

Result<void> VaultSession::saveOverwriting()
{
    return write();
}

Result<void> VaultSession::write()
{
    const QByteArray bytes = fileBytesFor(VaultFormat::serialize(m_masterPassword, m_entries.rows()));
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
        const auto it = std::find(entries.begin(), entries.end(), change.before);
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
    QByteArray fileBytes;
    Result<VaultFormat::Contents> disk = readContents(&fileBytes);
    if (!disk)
        return Error{disk.error(), disk.errorKind()};
    // A new master password is for the next start; the next save asks first.
    if (disk->MasterPassword != m_masterPassword)
        return false;
    m_entries.resetEntries(std::move(disk->Entries));
    remember(fileBytes);
    return true;
}

Result<void> VaultSession::encrypt(EncryptedFormat::KdfLimits limits)
{
    Result<VaultKey> key = VaultKey::createNew(m_masterPassword, limits);
    if (!key)
        return Error{key.error()};
    std::optional<VaultKey> previous = std::exchange(m_key, std::move(key).value());
    if (Result<void> written = saveOverwriting(); !written) {
        m_key = std::move(previous);
        return written;
    }
    m_encrypted = true;
    return sealBackup();
}

Result<void> VaultSession::decrypt()
{
    std::optional<VaultKey> previous = std::exchange(m_key, std::nullopt);
    if (Result<void> written = saveOverwriting(); !written) {
        m_key = std::move(previous);
        return written;
    }
    m_encrypted = false;
    return {};
}

// The backup holds the file as it was before: scrambled, it would keep every secret readable.
Result<void> VaultSession::sealBackup()
{
    const QString backup = VaultFile::backupPathOf(m_path);
    if (!QFileInfo(backup).isFile())
        return {};
    Result<QByteArray> bytes = VaultFile::read(backup);
    if (!bytes)
        return Error{bytes.error()};
    if (EncryptedFormat::isEncrypted(bytes.value()))
        return {};
    return VaultFile::write(backup, EncryptedFormat::seal(bytes.value(), *m_key));
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

// Every save of our own is reported too; those match by size and time, and
// are not read back. A change that keeps both is caught before the next save.
void VaultSession::onFileEvent()
{
    watchFile();
    if (QFileInfo(m_path).isFile() && !m_fingerprint.sizeAndTimeMatchFileAt(m_path))
        emit changedOutside();
}
