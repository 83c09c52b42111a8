#pragma once

#include "Result.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <memory>

// The lock that keeps one vault open in one program at a time: a file beside
// the vault, named after its canonical path so every name of the vault meets it.
class VaultLock
{
public:
    // Who holds the lock, as its file says.
    struct Owner
    {
        qint64 pid = 0;
        QString host;
        QString program;
        QDateTime since; // when the lock file was written
        bool known = false; // false when the file could not be read

        // "process 1234 of keyholder on the computer pc-1, since 08/12/2026 14:05"
        QString describe() const;
    };

    enum class Status {
        Taken,
        // A program on this computer holds it and is running.
        HeldByRunningProgram,
        // Left by another computer, or by a program here that has ended.
        HeldElsewhere,
        // The lock file cannot be made (a full disk, a read-only folder): reason() says why.
        Unavailable,
    };

    explicit VaultLock(const QString &vaultPath);
    ~VaultLock();

    Status acquire();
    // After HeldElsewhere: removes the other's lock and takes it.
    Result<void> takeOver();
    void release();
    bool isHeld() const { return m_file && m_file->isLocked(); }

    const Owner &owner() const { return m_owner; }
    // For Unavailable, a sentence.
    const QString &reason() const { return m_reason; }

private:
    Owner readOwner() const;
    QString whyUnavailable() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_file;
    Owner m_owner;
    QString m_reason;
};
