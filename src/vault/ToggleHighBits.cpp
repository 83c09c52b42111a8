#include "ToggleHighBits.h"

#include "Windows1252.h"

#include <algorithm>
#include <array>

namespace {

constexpr char toggled(char byte)
{
    constexpr char EuroSign = char(0x80);
    return byte == EuroSign ? byte : char(byte ^ EuroSign);
}

// The file's byte straight to its character, and a character below 0x100
// straight to its byte in the file ('?' when 1252 has no code for it): one
// look-up a character, both ways.
struct Tables
{
    std::array<char16_t, 256> decipher{};
    std::array<char, 256> encipher{};

    Tables()
    {
        for (int byte = 0; byte < 256; ++byte) {
            decipher[size_t(byte)] = Windows1252::decodeByte(uchar(toggled(char(byte))));
            const int code = Windows1252::codeOf(char16_t(byte));
            encipher[size_t(byte)] = toggled(code < 0 ? '?' : char(code));
        }
    }
};

const Tables &tables()
{
    static const Tables made;
    return made;
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

char16_t *DecipherTo(char16_t *out, QByteArrayView bytes)
{
    const std::array<char16_t, 256> &table = tables().decipher;
    for (const char byte : bytes)
        *out++ = table[uchar(byte)];
    return out;
}

char *EncipherTo(char *out, QStringView text)
{
    const std::array<char, 256> &table = tables().encipher;
    const char16_t *unit = text.utf16();
    const char16_t *end = unit + text.size();
    for (; unit < end; ++unit) {
        if (*unit < 0x100) {
            *out++ = table[*unit];
            continue;
        }
        const int code = Windows1252::codeOf(*unit);
        // A pair of surrogates is one character, so one '?'.
        if (code < 0 && QChar::isHighSurrogate(*unit) && unit + 1 < end && QChar::isLowSurrogate(unit[1]))
            ++unit;
        *out++ = toggled(code < 0 ? '?' : char(code));
    }
    return out;
}
