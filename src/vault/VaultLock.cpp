#include "VaultLock.h"

#include "ProcessSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString VaultLock::Owner::describe() const
{
    if (!known)
        return u"a program whose lock file cannot be read"_s;
    const QString when = QLocale().toString(since, QLocale::ShortFormat);
    const QString where = host.isEmpty() || host == QSysInfo::machineHostName()
            ? u"on this computer"_s
            : u"on the computer \"%1\""_s.arg(host);
    return u"process %1 (%2) %3, since %4"_s.arg(pid).arg(program.isEmpty() ? u"unknown program"_s : program,
                                                         where, when);
}

VaultLock::VaultLock(const QString &vaultPath) : m_path(vaultPath + u".lock"_s) {}

VaultLock::~VaultLock() = default;

VaultLock::Owner VaultLock::readOwner() const
{
    Owner owner;
    owner.known = QLockFile(m_path).getLockInfo(&owner.pid, &owner.host, &owner.program);
    owner.since = QFileInfo(m_path).lastModified();
    return owner;
}

// QLockFile gives no reason for a lock file it could not write; trying it
// ourselves brings out the system's words.
QString VaultLock::whyUnavailable() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return u"Its folder \"%1\" does not exist."_s.arg(native(folder));
    QFile probe(m_path);
    QString reason;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        reason = probe.errorString();
    else if (probe.write(QByteArray(256, '\n')) < 0 || !probe.flush())
        reason = probe.errorString();
    if (probe.isOpen()) {
        probe.close();
        probe.remove();
    }
    if (reason.isEmpty())
        reason = u"it could not be written"_s;
    return u"Its lock file \"%1\" cannot be created: %2"_s.arg(native(m_path), reason);
}

VaultLock::Status VaultLock::acquire()
{
    if (isHeld())
        return Status::Taken;
    // A lock of an ended program here is left in place until the user chose:
    // QLockFile would remove it without a word.
    m_owner = QFileInfo::exists(m_path) ? readOwner() : Owner{};
    if (m_owner.known && m_owner.host == QSysInfo::machineHostName()
        && !platform::isProcessRunning(m_owner.pid))
        return Status::HeldElsewhere;
    auto file = std::make_unique<QLockFile>(m_path);
    // Only a lock whose program is gone is stale, however long it was held.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        m_file = std::move(file);
        return Status::Taken;
    }
    switch (file->error()) {
    case QLockFile::LockFailedError:
        m_owner = readOwner();
        if (m_owner.known && m_owner.host == QSysInfo::machineHostName())
            return Status::HeldByRunningProgram;
        return Status::HeldElsewhere;
    default:
        m_reason = whyUnavailable();
        return Status::Unavailable;
    }
}

Result<void> VaultLock::takeOver()
{
    if (isHeld())
        return {};
    auto file = std::make_unique<QLockFile>(m_path);
    file->setStaleLockTime(0);
    file->removeStaleLockFile();
    if (!file->tryLock(0))
        return Error{u"Could not take over the lock file \"%1\"."_s.arg(native(m_path))};
    m_file = std::move(file);
    return {};
}

void VaultLock::release()
{
    m_file.reset();
}
