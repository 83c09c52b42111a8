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

// Eight at a time where none needs a look-up: a file byte from 0x20 up, but
// for 0x80, is its character with the high bit toggled, and ASCII enciphers
// the same way back. Written so the compiler makes each group a few vector
// instructions; fields are short, so the groups are too.
constexpr qsizetype Group = 8;

char16_t *DecipherTo(char16_t *out, QByteArrayView bytes)
{
    const std::array<char16_t, 256> &table = tables().decipher;
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = in + bytes.size();
    while (end - in >= Group) {
        bool plain = true;
        for (qsizetype i = 0; i < Group; ++i)
            plain &= in[i] >= 0x20 && in[i] != 0x80;
        for (qsizetype i = 0; i < Group; ++i)
            out[i] = plain ? char16_t(uchar(in[i] ^ 0x80)) : table[in[i]];
        in += Group;
        out += Group;
    }
    for (; in < end; ++in)
        *out++ = table[*in];
    return out;
}

namespace {

// One character, which may take two units.
const char16_t *encipherOne(char *&out, const char16_t *unit, const char16_t *end,
                            const std::array<char, 256> &table)
{
    if (*unit < 0x100) {
        *out++ = table[*unit];
        return unit + 1;
    }
    const int code = Windows1252::codeOf(*unit);
    // A pair of surrogates is one character, so one '?'.
    if (code < 0 && QChar::isHighSurrogate(*unit) && unit + 1 < end && QChar::isLowSurrogate(unit[1]))
        ++unit;
    *out++ = toggled(code < 0 ? '?' : char(code));
    return unit + 1;
}

} // namespace

char *EncipherTo(char *out, QStringView text)
{
    // Fields are short: most of a field is enciphered one character at a time.
    const std::array<char, 256> &table = tables().encipher;
    const char16_t *unit = text.utf16();
    const char16_t *end = unit + text.size();
    while (end - unit >= Group) {
        char16_t all = 0;
        for (qsizetype i = 0; i < Group; ++i)
            all |= unit[i];
        if (all < 0x80) {
            for (qsizetype i = 0; i < Group; ++i)
                out[i] = char(unit[i] ^ 0x80);
            unit += Group;
            out += Group;
            continue;
        }
        for (const char16_t *groupEnd = unit + Group; unit < groupEnd;)
            unit = encipherOne(out, unit, end, table);
    }
    while (unit < end)
        unit = encipherOne(out, unit, end, table);
    return out;
}
