#include "ProcessSafety.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/resource.h>
#endif
#ifdef Q_OS_UNIX
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

} // namespace platform
