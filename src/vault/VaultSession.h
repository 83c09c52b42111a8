#pragma once

#include "EntryListModel.h"
#include "Result.h"
#include "VaultEntry.h"
#include "VaultFingerprint.h"
#include "VaultFormat.h"
#include "VaultKey.h"

#include <QFileSystemWatcher>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// One open vault: its file, its lock, its master password and its entries in
// display order. Every change is saved at once; a change that could not be
// saved stays in the list and is written by the next save. A file changed by
// another program is read again and the changes made here are applied on top.
class VaultSession : public QObject
{
    Q_OBJECT

public:
    enum class SaveStatus {
        Saved,
        // The file changed outside and the changes made here cannot be put on top
        // of it; conflictReason() says why. Nothing was written.
        Conflict,
    };

    explicit VaultSession(QString vaultPath, QObject *parent = nullptr);
    ~VaultSession() override;

    const QString &path() const { return m_path; }

    // Held until the session ends, so one vault is open in one program at a time.
    Result<void> acquireLock();
    bool holdsLock() const;
    // After acquireLock failed: true when another program holds the vault.
    bool isOpenElsewhere() const { return m_openElsewhere; }
    void releaseLock();

    // Makes sure the file exists (an empty vault is created) and reads its master line.
    Result<void> open();
    bool needsNewMasterPassword() const { return !m_encrypted && m_storedPassword.isEmpty(); }
    // An encrypted file is opened with a key derived from the password, which takes a moment.
    bool isEncrypted() const { return m_encrypted; }
    // Read from the file's master line by open().
    const QString &StoredPassword() const { return m_storedPassword; }
    // False for a wrong password (for an encrypted file: it does not decrypt);
    // the entries are loaded once it is right.
    Result<bool> unlock(const QString &password);
    // First use: writes the new master password, keeping entry lines already there.
    Result<void> createMasterPassword(const QString &password);
    // Empty until a password is accepted; written as the master line by every save.
    const QString &MasterPassword() const { return m_masterPassword; }

    EntryListModel &entries() { return m_entries; }
    const EntryListModel &entries() const { return m_entries; }

    // The changes, made in the list and saved at once. Rows are 0-based.
    Result<SaveStatus> add(const VaultEntry &entry);
    // Many entries with one save: all of them are written, or none.
    Result<SaveStatus> addAll(std::vector<VaultEntry> entries);
    Result<SaveStatus> replace(int row, const VaultEntry &entry);
    Result<SaveStatus> remove(int row);
    // Writes the changes not saved yet, merged with the file when it changed outside.
    Result<SaveStatus> save();
    // After a conflict: writes the list as it is shown, over the changed file.
    Result<void> saveOverwriting();
    bool hasUnsavedChanges() const { return !m_pending.empty(); }
    const QString &conflictReason() const { return m_conflictReason; }

    // Rewrites the unlocked vault in the other format, through the same safe write.
    // Encrypting also seals a scrambled backup, which would otherwise give the secrets away.
    Result<void> encrypt(EncryptedFormat::KdfLimits limits);
    Result<void> decrypt();

    // Reads the file again when another program changed it and nothing here is
    // waiting to be saved. True when the list was replaced.
    Result<bool> reloadIfChangedOutside();

signals:
    // The entries of a vault whose master password was just accepted are in the list.
    void unlocked(int entryCount);
    // The first master password was just written.
    void masterPasswordCreated();
    // The file on disk no longer is what this session last read or wrote.
    void changedOutside();

private:
    struct Change {
        enum Kind { Add, Edit, Delete } kind;
        VaultEntry before;
        VaultEntry after;
    };

    Result<QByteArray> readFile() const;
    // The bytes of the scrambled format, whichever format the file has.
    Result<QByteArray> plainBytes(const QByteArray &fileBytes) const;
    // The entries in the file now; fileBytes gets the bytes they were read from.
    Result<VaultFormat::Contents> readContents(QByteArray *fileBytes = nullptr) const;
    QByteArray fileBytesFor(const QByteArray &plain) const;
    Result<void> sealBackup();
    Result<SaveStatus> record(Change change);
    // The list as it is shown, in the file's format.
    Result<void> write();
    bool changedOnDisk() const;
    bool applyPending(std::vector<VaultEntry> &entries) const;
    void remember(const QByteArray &fileBytes);
    void watchFile();
    void onFileEvent();

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_openElsewhere = false;
    QString m_storedPassword;
    bool m_encrypted = false;
    std::optional<VaultKey> m_key;
    QString m_masterPassword;
    EntryListModel m_entries;
    std::vector<Change> m_pending;
    QString m_conflictReason;
    VaultFingerprint m_fingerprint;
    QFileSystemWatcher m_watcher;
};
