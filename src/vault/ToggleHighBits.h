#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The vault's cipher: flips the high bit of each 1252 code, except 128 (the
// euro sign), which stays. It is its own inverse for every code but 0, which
// comes back as 128.
QString ToggleHighBits(const QString &text);

// The same on raw 1252 bytes; the file code works on these.
QByteArray ToggleHighBitsBytes(QByteArrayView bytes);
void ToggleHighBitsInPlace(char *bytes, qsizetype size);

// Both steps at once, with no copy between: the file's bytes deciphered and
// decoded into room for bytes.size() units, and text encoded and enciphered
// into room for text.size() bytes. Each returns the end of what it wrote.
char16_t *DecipherTo(char16_t *out, QByteArrayView bytes);
char *EncipherTo(char *out, QStringView text);
