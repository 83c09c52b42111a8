#include "ProcessSafety.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/resource.h>
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

} // namespace platform
