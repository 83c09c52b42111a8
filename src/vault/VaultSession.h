#pragma once

#include "EncryptedFormat.h"
#include "EntryListModel.h"
#include "PasswordDigest.h"
#include "PendingChanges.h"
#include "Result.h"
#include "VaultEntry.h"
#include "VaultFile.h"
#include "VaultFingerprint.h"
#include "VaultFormat.h"
#include "VaultKey.h"
#include "VaultLock.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

// One open vault: its file, its lock, its master password and its entries in
// display order. Every change is saved at once; a change that could not be
// saved stays in the list and is written by the next save. A file changed by
// another program is read again and the changes made here are put on top.
class VaultSession : public QObject
{
    Q_OBJECT

public:
    enum class SaveStatus {
        Saved,
        // The file changed outside and cannot be read or has another master
        // password; conflictReason() says why. Nothing was written.
        Conflict,
        // The file changed outside: its entries are in the list now, but some
        // were changed both there and here; disputes() names them. Nothing was
        // written until resolveDisputes().
        Disputed,
    };
    enum class UnlockOutcome { Unlocked, WrongPassword };
    enum class ReloadOutcome { Unchanged, Reloaded };
    using Dispute = PendingChanges::Dispute;
    using Resolution = PendingChanges::Resolution;

    // What unlocking takes from the file. Made by prepareUnlock, which an
    // encrypted vault runs off the window thread: deriving its key takes a while.
    struct Unlocking
    {
        std::optional<VaultKey> key;
        VaultFormat::Contents contents;
        VaultFingerprint fingerprint;
        bool wrongPassword = false;
    };

    // Every name of the vault (a link, a relative path) is taken to the real file.
    explicit VaultSession(const QString &vaultPath, QObject *parent = nullptr);
    ~VaultSession() override;

    const QString &path() const { return m_path; }

    // Held until the session ends, so one vault is open in one program at a time.
    VaultLock::Status acquireLock() { return m_lock.acquire(); }
    const VaultLock &fileLock() const { return m_lock; }
    Result<void> takeOverLock() { return m_lock.takeOver(); }
    void releaseLock() { m_lock.release(); }
    bool holdsLock() const { return m_lock.isHeld(); }

    // Without the lock the vault can still be read; every change is refused, with the reason.
    void openReadOnly(const QString &reason);
    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    const QString &readOnlyReason() const { return m_readOnlyReason; }

    // A new vault is started only where none was before: not where data.enc is
    // gone or empty while its backup holds a vault.
    Result<void> checkNothingToRestore() const;
    // Makes sure the file exists (an empty vault is created) and reads its master line.
    Result<void> open();
    bool needsNewMasterPassword() const { return !m_encrypted && !m_hasMasterPassword; }
    bool isEncrypted() const { return m_encrypted; }

    // Reads the file and opens it with the password; touches nothing of the session.
    Result<Unlocking> prepareUnlock(const QString &password) const;
    // Takes the entries in when the password was right. The file is what counts:
    // a master password changed since open() is the one asked for.
    Result<UnlockOutcome> finishUnlock(const QString &password, Result<Unlocking> prepared);
    Result<UnlockOutcome> unlock(const QString &password);
    // For a reader that only passes entries on: with the password unlock would
    // take, each entry goes to take as the file has it, and none is kept. The
    // session stays as it was, locked.
    Result<UnlockOutcome> readEntriesThrough(const QString &password,
                                             const std::function<void(const VaultFormat::RawEntry &)> &take) const;
    // The password against the master line alone, before anything else is asked.
    // An encrypted file tells only when it is decrypted, so it passes here.
    Result<UnlockOutcome> checkMasterLine(const QString &password) const;
    // For a writer that only adds at the end: with the password unlock would
    // take, the file is written again with rows after its entries, through the
    // backup and the safe write, and none of its entries becomes a row. The
    // session stays as it was, locked. entries: how many the vault holds now.
    struct Appended
    {
        UnlockOutcome outcome;
        qsizetype entries = 0;
    };
    Result<Appended> appendThrough(const QString &password, const std::vector<EntryRow> &rows);
    // First use: writes the new master password, keeping entry lines already there.
    Result<void> createMasterPassword(const QString &password);
    // Empty until a password is accepted, and while locked; written as the master line by every save.
    const QString &MasterPassword() const { return m_masterPassword; }
    // True when password is the vault's master password (compared in constant time).
    bool isMasterPassword(const QString &password) const;

    // The entries, the master password and the key leave memory until the next
    // unlock, which reads the file again; the vault's lock stays held. Changes not
    // saved yet are kept, put on top of the file then, and still wait for a save.
    void lock();
    // Not unlocked: before the first unlock, and from lock() until the next.
    bool isLocked() const { return m_masterPassword.isEmpty(); }

    EntryListModel &entries() { return m_entries; }
    const EntryListModel &entries() const { return m_entries; }

    // The changes, made in the list and saved at once. Rows are 0-based.
    Result<SaveStatus> add(const VaultEntry &entry);
    // At row (kept within the list), or at its place while the list is sorted:
    // a deleted entry put back where it was.
    Result<SaveStatus> insert(int row, const VaultEntry &entry);
    // Many entries with one save: all of them are written, or none.
    Result<SaveStatus> addAll(std::vector<EntryRow> rows);
    Result<SaveStatus> replace(int row, const VaultEntry &entry);
    Result<SaveStatus> remove(int row);
    // Writes the changes not saved yet, merged with the file when it changed outside.
    Result<SaveStatus> save();
    const std::vector<Dispute> &disputes() const { return m_disputes; }
    // Settles every dispute the same way, then saves.
    Result<SaveStatus> resolveDisputes(Resolution resolution);
    // After a conflict: writes the list as it is shown, over the changed file.
    Result<void> saveOverwriting();
    bool hasUnsavedChanges() const { return !m_pending.isEmpty(); }
    const QString &conflictReason() const { return m_conflictReason; }

    // Rewrites the unlocked vault in the other format, through the same safe
    // write. The backup is converted as it is, so it keeps the previous version;
    // encrypting seals it, since scrambled it would give the secrets away.
    Result<void> encrypt(EncryptedFormat::KdfLimits limits);
    Result<void> decrypt();

    // What a change of master password takes: an encrypted vault's fresh salt and
    // newly derived key. Runs off the window thread; touches nothing of the session.
    struct MasterChange
    {
        PasswordDigest password; // the one it was made for
        std::optional<VaultKey> key; // encrypted vaults only
    };
    // Refuses a password the password dialog would refuse; limits are for an encrypted vault's key.
    Result<MasterChange> prepareMasterChange(const QString &newPassword, EncryptedFormat::KdfLimits limits) const;
    // Writes the vault with the new master password through the backup and the
    // safe write. On failure nothing changes, here or on disk.
    Result<void> finishMasterChange(const QString &newPassword, Result<MasterChange> prepared);
    Result<void> changeMasterPassword(const QString &newPassword, EncryptedFormat::KdfLimits limits);

    // Reads the file again when another program changed it and nothing here is
    // waiting to be saved. Reloaded when the list was replaced.
    Result<ReloadOutcome> reloadIfChangedOutside();

signals:
    // The file on disk no longer is what this session last read or wrote.
    void changedOutside();

private:
    Result<void> checkNotReadOnly() const;
    // Not read-only, and unlocked.
    Result<void> checkWritable() const;
    Result<Unlocking> unlockingWith(const QString &password) const;
    // The file's plain bytes, read and decrypted with password, handed to use
    // when its master line is password, and wiped after. key: null when scrambled.
    using PlainBytesUse = std::function<Result<void>(QByteArrayView plain, const VaultKey *key)>;
    Result<UnlockOutcome> throughPlainBytes(const QString &password, const PlainBytesUse &use) const;
    // A damaged file's error says where its backup is.
    Error withRestoreAdvice(const Error &error) const;
    // The bytes of the scrambled format, whichever format the file has.
    Result<QByteArray> plainBytes(const QByteArray &fileBytes) const;
    // The entries in the file now; fingerprint gets the file's.
    Result<VaultFormat::Contents> readContents(VaultFingerprint *fingerprint = nullptr) const;
    QByteArray fileBytesFor(const QByteArray &plain) const;
    Result<SaveStatus> saveMerging();
    // The list as it is shown (and rows about to join it), in the file's format.
    Result<void> write(VaultFile::Backup backup = VaultFile::Backup::KeepPrevious,
                       const std::vector<EntryRow> &moreRows = {});
    bool changedOnDisk() const;
    void remember(const VaultFingerprint &fingerprint);
    void watchFile();
    void onFileEvent();

    QString m_path;
    VaultLock m_lock;
    QString m_readOnlyReason;
    bool m_hasMasterPassword = false;
    bool m_encrypted = false;
    std::optional<VaultKey> m_key;
    QString m_masterPassword;
    EntryListModel m_entries;
    PendingChanges m_pending;
    // While locked with changes not saved: what the merge at the next unlock needs of the list.
    std::vector<EntryRow> m_shownAtLock;
    std::vector<Dispute> m_disputes;
    QString m_conflictReason;
    VaultFingerprint m_fingerprint;
    QFileSystemWatcher m_watcher;
};
