#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The vault file stores one byte per character in Windows-1252, on every
// machine and whatever the locale, so the codec is our own and never the
// system's. The five bytes 1252 leaves undefined map to the C1 controls of the
// same code, as Windows does, so every byte decodes and encodes back.
namespace Windows1252 {

// A character with no 1252 code becomes '?' (one per character, even outside the BMP).
QByteArray encode(QStringView text);
void appendEncoded(QByteArray &out, QStringView text);

QString decode(QByteArrayView bytes);
char16_t decodeByte(uchar byte);
// Decodes into room for bytes.size() units; returns the end of what was written.
char16_t *decodeTo(char16_t *out, QByteArrayView bytes);

bool canEncode(QChar c);
// The 1252 code of a UTF-16 unit, or -1 when it has none.
int codeOf(char16_t unit);

} // namespace Windows1252
