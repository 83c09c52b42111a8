#include "ToggleHighBits.h"

#include "Windows1252.h"

#include <algorithm>

namespace {

constexpr char toggled(char byte)
{
    constexpr char EuroSign = char(0x80);
    return byte == EuroSign ? byte : char(byte ^ EuroSign);
}

} // namespace

QString ToggleHighBits(const QString &text)
{
    return Windows1252::decode(ToggleHighBitsBytes(Windows1252::encode(text)));
}

QByteArray ToggleHighBitsBytes(QByteArrayView bytes)
{
    QByteArray result(bytes.data(), bytes.size());
    ToggleHighBitsInPlace(result.data(), result.size());
    return result;
}

void ToggleHighBitsInPlace(char *bytes, qsizetype size)
{
    std::transform(bytes, bytes + size, bytes, toggled);
}
