#include "VaultSession.h"

#include "EncryptedFormat.h"
#include "PasswordDigest.h"
#include "Rules.h"
#include "VaultBackup.h"
#include "VaultFile.h"
#include "Wipe.h"

#include <QFileInfo>

#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A vault too big for the memory left is reported like any unreadable one.
template <typename T, typename Read>
Result<T> withinMemory(Read read)
{
    try {
        return read();
    } catch (const std::bad_alloc &) {
        return Error{u"There is not enough memory to open the vault file."_s};
    }
}

// The file read into the top of the block its text decodes into, so a large
// vault is in memory once, not twice. Wiped and given back unless rows take it.
class FileInBlock
{
public:
    FileInBlock() = default;
    FileInBlock(const FileInBlock &) = delete;
    FileInBlock &operator=(const FileInBlock &) = delete;
    ~FileInBlock() { release(); }

    Result<QByteArrayView> read(const QString &path)
    {
        Result<QByteArrayView> bytes = VaultFile::readInto(path, [this](qsizetype size) -> char * {
            release();
            m_block = EntryRow::Block::create(size);
            m_room = m_block ? size : 0;
            return m_block ? fileArea() : nullptr;
        });
        if (bytes)
            m_bytes = bytes.value();
        return bytes;
    }

    VaultFormat::Contents parse()
    {
        VaultFormat::Contents contents = VaultFormat::parseInBlock(m_bytes, m_block);
        m_block = nullptr;
        return contents;
    }

private:
    // The block's upper half: size units of text take twice size bytes.
    char *fileArea() const { return reinterpret_cast<char *>(m_block->text()) + m_room; }

    // Whatever the file's bytes were, even a read that failed half-way.
    void release()
    {
        if (!m_block)
            return;
        Wipe::bytes(fileArea(), m_room);
        m_block->releaseRows(1);
        m_block = nullptr;
        m_room = 0;
        m_bytes = {};
    }

    EntryRow::Block *m_block = nullptr;
    qsizetype m_room = 0;
    QByteArrayView m_bytes;
};

// Compared by digest, so no copy of the master line outlives the check.
bool masterLineIs(QByteArrayView fileBytes, const QString &password)
{
    QString master = VaultFormat::readMasterPassword(fileBytes);
    const bool same = PasswordDigest(master).matches(PasswordDigest(password));
    Wipe::text(master);
    return same;
}

// An encrypted file opened with password: its key and its plain bytes, or
// nothing when the password does not open it.
struct Decrypted
{
    VaultKey key;
    QByteArray plain;
};

Result<std::optional<Decrypted>> decryptWith(QByteArrayView fileBytes, const QString &password)
{
    Result<VaultKey> key = VaultKey::forFile(fileBytes, password);
    if (!key)
        return key.error();
    Result<QByteArray> opened = EncryptedFormat::open(fileBytes, key.value());
    if (!opened && opened.errorKind() == ErrorKind::DecryptionFailed)
        return std::optional<Decrypted>();
    if (!opened)
        return opened.error();
    return std::optional<Decrypted>(Decrypted{std::move(key).value(), std::move(opened).value()});
}

} // namespace

VaultSession::VaultSession(const QString &vaultPath, QObject *parent)
    : QObject(parent), m_path(VaultFile::canonicalPath(vaultPath)), m_lock(m_path), m_entries(this)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &VaultSession::onFileEvent);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &VaultSession::onFileEvent);
}

VaultSession::~VaultSession() = default;

void VaultSession::openReadOnly(const QString &reason)
{
    m_lock.release();
    m_readOnlyReason = reason;
}

Result<void> VaultSession::checkNotReadOnly() const
{
    if (!isReadOnly())
        return {};
    return Error{u"The vault is open read-only, so nothing can be added, changed or deleted. "_s
                 + m_readOnlyReason};
}

// A save while locked would write an empty vault.
Result<void> VaultSession::checkWritable() const
{
    if (Result<void> notReadOnly = checkNotReadOnly(); !notReadOnly)
        return notReadOnly;
    if (isLocked())
        return Error{u"The vault is locked, so nothing can be added, changed or deleted until it is unlocked."_s};
    return {};
}

Result<void> VaultSession::checkNothingToRestore() const
{
    return VaultBackup::checkNothingToRestore(m_path);
}

Result<QByteArray> VaultSession::plainBytes(const QByteArray &fileBytes) const
{
    if (!EncryptedFormat::isEncrypted(fileBytes))
        return fileBytes;
    if (!m_key)
        return Error{u"The vault file is encrypted with another master password."_s, ErrorKind::DecryptionFailed};
    return EncryptedFormat::open(fileBytes, *m_key);
}

Result<VaultFormat::Contents> VaultSession::readContents(VaultFingerprint *fingerprint) const
{
    Result<QByteArray> bytes = VaultFile::read(m_path);
    if (!bytes)
        return bytes.error();
    Result<QByteArray> plain = plainBytes(bytes.value());
    if (!plain)
        return plain.error();
    if (fingerprint)
        *fingerprint = VaultFingerprint::of(m_path, bytes.value());
    Result<VaultFormat::Contents> contents =
            withinMemory<VaultFormat::Contents>([&] { return VaultFormat::parse(plain.value()); });
    Wipe::bytes(plain.value());
    Wipe::bytes(bytes.value());
    return contents;
}

QByteArray VaultSession::fileBytesFor(const QByteArray &plain) const
{
    return m_key ? EncryptedFormat::seal(plain, *m_key) : plain;
}

Result<void> VaultSession::open()
{
    if (Result<void> nothingLost = checkNothingToRestore(); !nothingLost)
        return nothingLost;
    if (holdsLock())
        VaultFile::removeLeftovers(m_path);
    // Read-only, nothing may be written, not even an empty vault.
    if (!isReadOnly()) {
        if (Result<void> ensured = VaultFile::EnsureVaultFile(m_path); !ensured)
            return ensured;
    }
    // The entries are read at unlock, from the file as it is then.
    Result<QByteArray> bytes = VaultFile::readStart(m_path);
    if (!bytes)
        return bytes.error();
    m_encrypted = EncryptedFormat::isEncrypted(bytes.value());
    if (m_encrypted) {
        // The password is checked by decrypting; the header must at least be ours.
        if (Result<EncryptedFormat::Header> header = EncryptedFormat::readHeader(bytes.value()); !header)
            return header.error();
        return {};
    }
    QString master = VaultFormat::readMasterPassword(bytes.value());
    m_hasMasterPassword = !master.isEmpty();
    Wipe::text(master);
    Wipe::bytes(bytes.value());
    return {};
}

Result<VaultSession::Unlocking> VaultSession::prepareUnlock(const QString &password) const
{
    // Off the window thread nothing may throw.
    return withinMemory<Unlocking>([&] { return unlockingWith(password); });
}

Result<VaultSession::Unlocking> VaultSession::unlockingWith(const QString &password) const
{
    Unlocking unlocking;
    FileInBlock file;
    Result<QByteArrayView> bytes = file.read(m_path);
    if (!bytes)
        return bytes.error();
    const bool encrypted = EncryptedFormat::isEncrypted(bytes.value());
    // A scrambled file's master line tells a wrong password before the whole file is parsed.
    if (!encrypted && !masterLineIs(bytes.value(), password)) {
        unlocking.wrongPassword = true;
        return unlocking;
    }
    // Before the text is decoded over the file's bytes.
    unlocking.fingerprint = VaultFingerprint::of(m_path, bytes.value());
    const auto withContents = [&unlocking](Result<VaultFormat::Contents> contents) -> Result<Unlocking> {
        if (!contents)
            return contents.error();
        unlocking.contents = std::move(contents).value();
        return std::move(unlocking);
    };
    if (!encrypted)
        return withContents(withinMemory<VaultFormat::Contents>([&] { return file.parse(); }));
    Result<std::optional<Decrypted>> decrypted = decryptWith(bytes.value(), password);
    if (!decrypted)
        return decrypted.error();
    if (!decrypted.value()) {
        unlocking.wrongPassword = true;
        return unlocking;
    }
    unlocking.key.emplace(std::move(decrypted.value()->key));
    QByteArray &plain = decrypted.value()->plain;
    Result<VaultFormat::Contents> contents =
            withinMemory<VaultFormat::Contents>([&] { return VaultFormat::parse(plain); });
    Wipe::bytes(plain);
    return withContents(std::move(contents));
}

Result<VaultSession::UnlockOutcome> VaultSession::readEntriesThrough(
        const QString &password, const std::function<void(const VaultFormat::RawEntry &)> &take) const
{
    return throughPlainBytes(password, [&](QByteArrayView plain, const VaultKey *) -> Result<void> {
        VaultFormat::forEachEntry(plain, take);
        return {};
    });
}

Result<VaultSession::UnlockOutcome> VaultSession::checkMasterLine(const QString &password) const
{
    Result<QByteArray> start = VaultFile::readStart(m_path);
    if (!start)
        return start.error();
    const bool right = EncryptedFormat::isEncrypted(start.value()) || masterLineIs(start.value(), password);
    Wipe::bytes(start.value());
    return right ? UnlockOutcome::Unlocked : UnlockOutcome::WrongPassword;
}

Result<VaultSession::Appended> VaultSession::appendThrough(const QString &password, const std::vector<EntryRow> &rows)
{
    if (Result<void> writable = checkNotReadOnly(); !writable)
        return writable.error();
    // Unlocked, the list is what a save writes.
    if (!isLocked())
        return Error{u"The vault is unlocked: its changes are saved from its list."_s};
    qsizetype entries = 0;
    Result<UnlockOutcome> outcome =
            throughPlainBytes(password, [&](QByteArrayView plain, const VaultKey *key) {
                QByteArray written = VaultFormat::serializeAfterFile(plain, rows, &entries);
                if (key) {
                    QByteArray sealed = EncryptedFormat::seal(written, *key);
                    Wipe::bytes(written);
                    written = std::move(sealed);
                }
                Result<void> saved = VaultFile::write(m_path, written, VaultFile::Backup::KeepPrevious);
                Wipe::bytes(written);
                return saved;
            });
    if (!outcome)
        return outcome.error();
    return Appended{outcome.value(), entries + qsizetype(rows.size())};
}

Result<VaultSession::UnlockOutcome> VaultSession::throughPlainBytes(const QString &password,
                                                                    const PlainBytesUse &use) const
{
    Result<UnlockOutcome> outcome = withinMemory<UnlockOutcome>([&]() -> Result<UnlockOutcome> {
        FileInBlock file;
        Result<QByteArrayView> bytes = file.read(m_path);
        if (!bytes)
            return bytes.error();
        std::optional<Decrypted> decrypted;
        if (EncryptedFormat::isEncrypted(bytes.value())) {
            Result<std::optional<Decrypted>> opened = decryptWith(bytes.value(), password);
            if (!opened)
                return opened.error();
            if (!opened.value())
                return UnlockOutcome::WrongPassword;
            decrypted = std::move(opened).value();
        }
        const QByteArrayView plain = decrypted ? QByteArrayView(decrypted->plain) : bytes.value();
        Result<void> used;
        const bool right = masterLineIs(plain, password);
        if (right)
            used = use(plain, decrypted ? &decrypted->key : nullptr);
        if (decrypted)
            Wipe::bytes(decrypted->plain);
        if (!used)
            return used.error();
        return right ? UnlockOutcome::Unlocked : UnlockOutcome::WrongPassword;
    });
    if (!outcome)
        return withRestoreAdvice(outcome.error());
    return outcome;
}

Error VaultSession::withRestoreAdvice(const Error &error) const
{
    return error.kind == ErrorKind::DamagedFile ? VaultBackup::withRestoreAdvice(m_path, error) : error;
}

Result<VaultSession::UnlockOutcome> VaultSession::finishUnlock(const QString &password,
                                                               Result<Unlocking> prepared)
{
    if (!prepared)
        return withRestoreAdvice(prepared.error());
    Unlocking &unlocking = prepared.value();
    if (unlocking.wrongPassword)
        return UnlockOutcome::WrongPassword;
    // Inside an encrypted file too, the master line is what counts.
    if (unlocking.contents.MasterPassword != password)
        return UnlockOutcome::WrongPassword;
    m_encrypted = unlocking.key.has_value();
    m_hasMasterPassword = true;
    m_key = std::move(unlocking.key);
    m_masterPassword = Wipe::wipeableCopy(password);
    std::vector<EntryRow> rows = std::move(unlocking.contents.Rows);
    // Changes that could not be saved before a lock go on top of the file as it is now.
    if (!m_pending.isEmpty()) {
        PendingChanges::Merge merge = m_pending.mergeInto(std::move(rows), std::exchange(m_shownAtLock, {}));
        rows = std::move(merge.entries);
        m_disputes = std::move(merge.disputes);
    }
    m_entries.appendRows(std::move(rows));
    remember(unlocking.fingerprint);
    return UnlockOutcome::Unlocked;
}

Result<VaultSession::UnlockOutcome> VaultSession::unlock(const QString &password)
{
    return finishUnlock(password, prepareUnlock(password));
}

Result<void> VaultSession::createMasterPassword(const QString &password)
{
    if (Result<void> writable = checkNotReadOnly(); !writable)
        return writable;
    Result<QByteArray> existing = VaultFile::read(m_path);
    if (!existing)
        return existing.error();
    // Entry lines of a vault that never had a master password are kept. Such a
    // vault never becomes the backup: it would take the place of a real one.
    QByteArray bytes = VaultFormat::withFirstMasterPassword(existing.value(), password);
    if (Result<void> written = VaultFile::write(m_path, bytes); !written)
        return written;
    m_hasMasterPassword = true;
    m_masterPassword = Wipe::wipeableCopy(password);
    m_entries.appendRows(VaultFormat::parse(bytes).Rows);
    remember(VaultFingerprint::of(m_path, bytes));
    Wipe::bytes(bytes);
    return {};
}

bool VaultSession::isMasterPassword(const QString &password) const
{
    return !isLocked() && PasswordDigest(m_masterPassword).matches(PasswordDigest(password));
}

void VaultSession::lock()
{
    if (isLocked())
        return;
    if (!m_pending.isEmpty())
        m_shownAtLock = m_pending.shownToMergeWith(m_entries.rows());
    m_entries.resetRows({});
    m_disputes.clear();
    m_conflictReason.clear();
    Wipe::text(m_masterPassword);
    m_key.reset();
}

Result<VaultSession::SaveStatus> VaultSession::add(const VaultEntry &entry)
{
    return insert(m_entries.rowCount(), entry);
}

Result<VaultSession::SaveStatus> VaultSession::insert(int row, const VaultEntry &entry)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    const int at = m_entries.insert(row, entry);
    // A merge puts it back in front of the same entry.
    std::optional<VaultEntry> next;
    if (at + 1 < m_entries.rowCount())
        next = m_entries.entry(at + 1);
    m_pending.added(entry, std::move(next));
    return save();
}

Result<VaultSession::SaveStatus> VaultSession::addAll(std::vector<EntryRow> rows)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    // An import into a file nobody changed meanwhile is written straight away,
    // so its rows are held once; otherwise they wait in the list like any change.
    const bool writeAtOnce = m_pending.isEmpty() && !m_entries.Sorted() && !changedOnDisk();
    Result<void> written = writeAtOnce ? write(VaultFile::Backup::KeepPrevious, rows) : Result<void>();
    if (!writeAtOnce || !written)
        m_pending.addedRows(rows);
    m_entries.appendRows(std::move(rows));
    if (!written)
        return written.error();
    return writeAtOnce ? Result<SaveStatus>(SaveStatus::Saved) : save();
}

Result<VaultSession::SaveStatus> VaultSession::replace(int row, const VaultEntry &entry)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    m_pending.edited(m_entries.entry(row), entry);
    m_entries.replace(row, entry);
    return save();
}

Result<VaultSession::SaveStatus> VaultSession::remove(int row)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    m_pending.deleted(m_entries.entry(row));
    m_entries.remove(row);
    return save();
}

Result<VaultSession::SaveStatus> VaultSession::save()
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    m_conflictReason.clear();
    m_disputes.clear();
    if (changedOnDisk() || m_pending.hasDisputes())
        return saveMerging();
    if (Result<void> written = write(); !written)
        return written.error();
    return SaveStatus::Saved;
}

// The file's entries come first, so the list shows them before anything is
// asked; the changes made here go on top.
Result<VaultSession::SaveStatus> VaultSession::saveMerging()
{
    VaultFingerprint seen;
    Result<VaultFormat::Contents> disk = readContents(&seen);
    if (!disk) {
        m_conflictReason = u"it can no longer be read. "_s + disk.message();
        return SaveStatus::Conflict;
    }
    if (disk->MasterPassword != m_masterPassword) {
        m_conflictReason = u"its master password was changed."_s;
        return SaveStatus::Conflict;
    }
    PendingChanges::Merge merge = m_pending.mergeInto(std::move(disk->Rows), m_entries.rows());
    m_entries.resetRows(std::move(merge.entries));
    remember(seen);
    if (!merge.disputes.empty()) {
        m_disputes = std::move(merge.disputes);
        return SaveStatus::Disputed;
    }
    if (Result<void> written = write(); !written)
        return written.error();
    return SaveStatus::Saved;
}

Result<VaultSession::SaveStatus> VaultSession::resolveDisputes(Resolution resolution)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable.error();
    m_pending.resolve(resolution);
    m_disputes.clear();
    return saveMerging();
}

Result<void> VaultSession::saveOverwriting()
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable;
    return write();
}

Result<void> VaultSession::write(VaultFile::Backup backup, const std::vector<EntryRow> &moreRows)
{
    QByteArray plain = VaultFormat::serialize(m_masterPassword, m_entries.rows(), moreRows);
    QByteArray bytes = fileBytesFor(plain);
    Wipe::bytes(plain);
    Result<void> written = VaultFile::write(m_path, bytes, backup);
    if (written) {
        m_pending.clear();
        remember(VaultFingerprint::of(m_path, bytes));
    }
    Wipe::bytes(bytes);
    return written;
}

// Only another vault file can hold changes to keep: a file that is gone is
// written anew, and whatever took a file's place makes the write say why it failed.
bool VaultSession::changedOnDisk() const
{
    return QFileInfo(m_path).isFile() && !m_fingerprint.matchesFileAt(m_path);
}

Result<VaultSession::ReloadOutcome> VaultSession::reloadIfChangedOutside()
{
    if (isLocked() || hasUnsavedChanges() || !changedOnDisk())
        return ReloadOutcome::Unchanged;
    VaultFingerprint seen;
    Result<VaultFormat::Contents> disk = readContents(&seen);
    if (!disk)
        return disk.error();
    // A new master password is for the next start; the next save asks first.
    if (disk->MasterPassword != m_masterPassword)
        return ReloadOutcome::Unchanged;
    m_entries.resetRows(std::move(disk->Rows));
    remember(seen);
    return ReloadOutcome::Reloaded;
}

Result<void> VaultSession::encrypt(EncryptedFormat::KdfLimits limits)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable;
    Result<VaultKey> key = VaultKey::createNew(m_masterPassword, limits);
    if (!key)
        return key.error();
    std::optional<VaultKey> previous = std::exchange(m_key, std::move(key).value());
    if (Result<void> written = write(VaultFile::Backup::None); !written) {
        m_key = std::move(previous);
        return written;
    }
    m_encrypted = true;
    return VaultBackup::convert(m_path, m_key, m_masterPassword, previous);
}

Result<void> VaultSession::decrypt()
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable;
    std::optional<VaultKey> previous = std::exchange(m_key, std::nullopt);
    if (Result<void> written = write(VaultFile::Backup::None); !written) {
        m_key = std::move(previous);
        return written;
    }
    m_encrypted = false;
    return VaultBackup::convert(m_path, m_key, m_masterPassword, previous);
}

Result<VaultSession::MasterChange> VaultSession::prepareMasterChange(const QString &newPassword,
                                                                    EncryptedFormat::KdfLimits limits) const
{
    if (Result<void> writable = checkNotReadOnly(); !writable)
        return writable.error();
    const Rules::MasterPasswordCheck check = Rules::checkMasterPassword(newPassword);
    if (check.problem == Rules::MasterPasswordCheck::Problem::TooShort)
        return Error{u"The new master password must be at least %1 characters long."_s.arg(
                Rules::MinimumMasterPasswordLength)};
    if (check.problem == Rules::MasterPasswordCheck::Problem::Unstorable)
        return Error{u"The new master password cannot be saved: %1."_s.arg(check.reason)};
    MasterChange change{PasswordDigest(newPassword), std::nullopt};
    if (m_encrypted) {
        Result<VaultKey> key = VaultKey::createNew(newPassword, limits);
        if (!key)
            return key.error();
        change.key.emplace(std::move(key).value());
    }
    return change;
}

Result<void> VaultSession::finishMasterChange(const QString &newPassword, Result<MasterChange> prepared)
{
    if (Result<void> writable = checkWritable(); !writable)
        return writable;
    if (!prepared)
        return prepared.error();
    MasterChange &change = prepared.value();
    // A key made for another password, or for the other format, would leave a vault nothing opens.
    if (!change.password.matches(PasswordDigest(newPassword)) || change.key.has_value() != m_key.has_value())
        return Error{u"The master password was not changed: the vault changed while the new key was made."_s};
    // Written over them, the changes waiting here or made outside would be lost.
    if (hasUnsavedChanges() || changedOnDisk())
        return Error{u"The master password was not changed: the changes made here must be saved, and "
                     "those another program made read in, first."_s};
    QString previousPassword = std::exchange(m_masterPassword, Wipe::wipeableCopy(newPassword));
    std::optional<VaultKey> previousKey;
    if (change.key)
        previousKey = std::exchange(m_key, std::move(change.key));
    if (Result<void> written = write(); !written) {
        Wipe::text(m_masterPassword);
        m_masterPassword = std::move(previousPassword);
        if (previousKey)
            m_key = std::move(previousKey);
        return written;
    }
    Wipe::text(previousPassword);
    return {};
}

Result<void> VaultSession::changeMasterPassword(const QString &newPassword, EncryptedFormat::KdfLimits limits)
{
    return finishMasterChange(newPassword, prepareMasterChange(newPassword, limits));
}

void VaultSession::remember(const VaultFingerprint &fingerprint)
{
    m_fingerprint = fingerprint;
    watchFile();
}

// Every save, ours or another program's, puts a new file in place by a rename,
// which a watch on the old file does not see (the old file lives on as the
// backup): the folder is watched too, and the file's watch is made anew on the
// file there now.
void VaultSession::watchFile()
{
    m_watcher.removePath(m_path);
    m_watcher.addPath(m_path);
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
}

// Every save of our own is reported too; those match by size and time, and
// are not read back. A change that keeps both is caught before the next save.
void VaultSession::onFileEvent()
{
    if (isLocked())
        return;
    watchFile();
    if (QFileInfo(m_path).isFile() && !m_fingerprint.sizeAndTimeMatchFileAt(m_path))
        emit changedOutside();
}
