#pragma once

#include <QtGlobal>

// Qt Core only, so the vault core may use it.
namespace platform {

// Asks for large pages under a buffer of many megabytes (a vault's bytes, its
// decoded text): one page fault per 2 MiB instead of one per 4 KiB, which on
// a million entries is most of the time the system spends. A hint only.
void preferLargePages(void *data, qsizetype size);

} // namespace platform
