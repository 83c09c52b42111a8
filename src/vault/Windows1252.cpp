#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// 0x80..0x9F are the only codes that differ from Latin-1.
constexpr char16_t HighRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
constexpr int HighRangeStart = 0x80;
constexpr int HighRangeEnd = 0xA0;

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const bool inHighRange = code >= HighRangeStart && code < HighRangeEnd;
        table[code] = inHighRange ? HighRange[code - HighRangeStart] : char16_t(code);
    }
    return table;
}
constexpr std::array<char16_t, 256> DecodeTable = makeDecodeTable();

int highRangeCodeOf(char16_t unit)
{
    const auto found = std::find(std::begin(HighRange), std::end(HighRange), unit);
    return found == std::end(HighRange) ? -1 : HighRangeStart + int(found - std::begin(HighRange));
}

} // namespace

namespace Windows1252 {

// Latin-1 outside 0x80..0x9F maps to itself, which keeps the common case to two compares.
int codeOf(char16_t unit)
{
    if (unit < HighRangeStart || (unit >= HighRangeEnd && unit <= 0xFF))
        return unit;
    return highRangeCodeOf(unit);
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    appendEncoded(bytes, text);
    return bytes;
}

void appendEncoded(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *next = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int code = codeOf(text[i].unicode());
        if (code >= 0) {
            *next++ = char(code);
            continue;
        }
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        *next++ = '?';
    }
    out.truncate(next - out.constData());
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    decodeTo(reinterpret_cast<char16_t *>(text.data()), bytes);
    return text;
}

char16_t *decodeTo(char16_t *out, QByteArrayView bytes)
{
    return std::transform(bytes.begin(), bytes.end(), out,
                          [](char byte) { return DecodeTable[uchar(byte)]; });
}

bool canEncode(QChar c)
{
    return codeOf(c.unicode()) >= 0;
}

char16_t decodeByte(uchar byte)
{
    return DecodeTable[byte];
}

} // namespace Windows1252
