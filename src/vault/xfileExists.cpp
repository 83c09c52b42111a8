#include "xfileExists.h"

#include <QFileInfo>

#include <algorithm>

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

QString FileNameOf(const QString &path)
{
    const qsizetype lastSeparator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.sliced(lastSeparator + 1);
}

} // namespace xfileExists
