#include "Wipe.h"

#include <sodium.h>

namespace Wipe {

void bytes(QByteArray &buffer)
{
    if (!buffer.isEmpty() && buffer.isDetached())
        sodium_memzero(buffer.data(), size_t(buffer.size()));
    buffer.clear();
}

void text(QString &text)
{
    if (!text.isEmpty() && text.isDetached())
        sodium_memzero(text.data(), size_t(text.size()) * sizeof(QChar));
    text.clear();
}

QString wipeableCopy(QStringView text)
{
    return text.toString();
}

void bytes(char *data, qsizetype size)
{
    if (size > 0)
        sodium_memzero(data, size_t(size));
}

} // namespace Wipe
