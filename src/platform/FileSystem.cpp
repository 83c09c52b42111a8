#include "FileSystem.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace platform::FileSystem {

#ifdef Q_OS_UNIX

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QString syncFile(QFileDevice &file)
{
    if (!file.flush())
        return file.errorString();
    return ::fsync(file.handle()) == 0 ? QString() : qt_error_string(errno);
}

QString renameOver(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return qt_error_string(errno);
    return {};
}

bool hardLink(const QString &existing, const QString &name)
{
    const QByteArray newName = QFile::encodeName(name);
    ::unlink(newName.constData());
    return ::link(QFile::encodeName(existing).constData(), newName.constData()) == 0;
}

FileStamp stampOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    constexpr qint64 Giga = 1000000000;
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * Giga + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * Giga + info.st_ctim.tv_nsec};
}

bool ownedByCurrentUser(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return true;
    return info.st_uid == ::geteuid();
}

#else

// NTFS commits a rename with the file; there is no folder handle to flush.
bool syncFolder(const QString &)
{
    return true;
}

QString syncFile(QFileDevice &file)
{
    if (!file.flush())
        return file.errorString();
#ifdef Q_OS_WIN
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
        return qt_error_string(int(GetLastError()));
#endif
    return {};
}

QString renameOver(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    if (!MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()),
                     reinterpret_cast<const wchar_t *>(to.utf16()), MOVEFILE_REPLACE_EXISTING))
        return qt_error_string(int(GetLastError()));
    return {};
#else
    QFile::remove(to);
    QFile source(from);
    return source.rename(to) ? QString() : source.errorString();
#endif
}

bool hardLink(const QString &, const QString &)
{
    return false;
}

FileStamp stampOf(const QString &)
{
    return {};
}

bool ownedByCurrentUser(const QString &)
{
    return true;
}

#endif

} // namespace platform::FileSystem
