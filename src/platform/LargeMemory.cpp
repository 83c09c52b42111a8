#include "LargeMemory.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <cstdint>
#endif

namespace platform {

void preferLargePages(void *data, qsizetype size)
{
#ifdef Q_OS_LINUX
    constexpr std::uintptr_t Large = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + Large - 1) & ~(Large - 1);
    const std::uintptr_t end = (begin + std::uintptr_t(size)) & ~(Large - 1);
    if (size > 0 && first < end)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace platform
