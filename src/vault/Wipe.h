#pragma once

#include <QByteArray>

// Overwrites secrets before their memory is given back. Only a buffer held
// nowhere else is wiped: writing through a shared one would make a copy first.
namespace Wipe {

void bytes(QByteArray &buffer);
void bytes(char *data, qsizetype size);

} // namespace Wipe
