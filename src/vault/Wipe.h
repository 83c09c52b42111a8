#pragma once

#include <QByteArray>
#include <QString>

// Overwrites secrets before their memory is given back. Only a buffer held
// nowhere else is wiped: writing through a shared one would make a copy first.
namespace Wipe {

void bytes(QByteArray &buffer);
void bytes(char *data, qsizetype size);
void text(QString &text);
// A copy in a buffer of its own, which text() can then overwrite.
QString wipeableCopy(QStringView text);

} // namespace Wipe
