#pragma once

#include <QString>

namespace xfileExists {

// True when a regular file is there (a symlink to one counts); a folder, a
// missing path or any error gives false.
bool FileExists(const QString &path);

} // namespace xfileExists
