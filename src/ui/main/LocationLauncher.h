#pragma once

#include "vault/Result.h"

#include <QString>
#include <functional>

namespace platform {
class Platform;
}

// Hands an entry's location to the user's browser or file manager, so that the
// launcher only ever sees an address, never one of its own options.
namespace LocationLauncher {

// The argument for the launcher: an existing full local path as a file:// URL, any
// other address as it is. Refused when it would begin with "-".
Result<QString> launchArgument(const QString &address);

// Starts the launcher; a refusal, a launcher that cannot start and one that
// fails later are each told to report as a status text.
void open(platform::Platform &platform, const QString &address,
          const std::function<void(const QString &status)> &report);

} // namespace LocationLauncher
