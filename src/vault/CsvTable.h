#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QIODevice;

// Comma-separated text as RFC 4180 has it, in UTF-8: quoted fields may hold
// commas, quotes and line breaks; records end in CR LF or LF.
namespace CsvTable {

using Row = QStringList;

// Hands every record to onRow as it is read, the header included; blank lines
// are skipped. A leading BOM is dropped. Spaces around unquoted fields are
// kept: they may be part of a password. The input is read in pieces, so a
// large file is never held whole.
Result<void> read(QIODevice &input, const std::function<void(Row &&)> &onRow);
// The same over bytes in memory, all records at once.
Result<std::vector<Row>> read(QByteArrayView utf8);

// One record ending in CR LF; a field is quoted only when it must be.
void appendRow(QByteArray &out, const Row &fields);

} // namespace CsvTable
