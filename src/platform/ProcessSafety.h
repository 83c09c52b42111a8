#pragma once

#include <QtGlobal>

// Qt Core only, so the program and keyholder-cli share it.
namespace platform {

// Keeps the passwords in memory out of crash dumps: no core file, and no
// other process of the same user may read this one's memory.
void disableCoreDumps();

// A reader that went away (a closed pipe) makes a write fail with a reason,
// instead of ending the process without a word.
void ignoreBrokenPipe();

// True while a process of that number runs on this computer (or when that cannot be told).
bool isProcessRunning(qint64 pid);

} // namespace platform
