#include "ProcessSafety.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/resource.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace platform {

void disableCoreDumps()
{
#ifdef Q_OS_LINUX
    const rlimit noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

void ignoreBrokenPipe()
{
#ifdef Q_OS_UNIX
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool isProcessRunning(qint64 pid)
{
#ifdef Q_OS_UNIX
    // Signal 0 only asks; a process of another user answers "not permitted".
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid);
    return true;
#endif
}

} // namespace platform
