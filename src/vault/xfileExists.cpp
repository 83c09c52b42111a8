#include "xfileExists.h"

#include <QFileInfo>

namespace {

// Only Windows has a hidden attribute; a leading dot elsewhere is just a name.
bool isHidden(const QFileInfo &info)
{
#ifdef Q_OS_WIN
    return info.isHidden();
#else
    Q_UNUSED(info);
    return false;
#endif
}

} // namespace

namespace xfileExists {

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !isHidden(info);
}

} // namespace xfileExists
