#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing data.enc. Errors are sentences for the user that end
// with the system's reason.
namespace VaultFile {

struct ReadResult
{
    bool ok = false;
    QByteArray bytes;
    QString error;
};

ReadResult read(const QString &path);

// Replaces the file in one step, so it is never left half-written. A new file
// is readable by its owner only; an existing one keeps its permissions.
bool write(const QString &path, const QByteArray &bytes, QString *error);

// Creates an empty vault (CR LF) when there is no file yet.
bool EnsureVaultFile(const QString &path, QString *error);

} // namespace VaultFile
