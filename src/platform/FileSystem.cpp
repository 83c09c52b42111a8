#include "FileSystem.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
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

bool replaceWithHardLink(const QString &existing, const QString &target)
{
    const QByteArray temporary = QFile::encodeName(target + QStringLiteral(".new"));
    ::unlink(temporary.constData());
    if (::link(QFile::encodeName(existing).constData(), temporary.constData()) != 0)
        return false;
    if (std::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

#else

// NTFS commits a rename with the file; there is no folder handle to flush.
bool syncFolder(const QString &)
{
    return true;
}

bool replaceWithHardLink(const QString &, const QString &)
{
    return false;
}

#endif

} // namespace platform::FileSystem
