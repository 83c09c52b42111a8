#pragma once

#include "EntryRow.h"
#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;

// Entries to and from CSV: our own export, and the exports of other password
// managers, recognised by the columns their header rows must have.
namespace VaultCsv {

enum class Format { Auto, Keyholder, KeePassXC, Bitwarden, Chrome, Firefox };

// The names the command line takes: "auto", "keyholder", "keepassxc", ...
QStringList formatNames();
std::optional<Format> formatNamed(QStringView name);
QString nameOf(Format format);

// A row the vault cannot take. Rows count as a spreadsheet shows them: the header is row 1.
struct RejectedRow
{
    int row = 0;
    QString reason;
};

struct Import
{
    Format format = Format::Auto; // the one the header matched
    std::vector<EntryRow> rows; // the rows that can be stored and are new, in file order
    std::vector<RejectedRow> rejected;
    int duplicates = 0; // rows equal to an entry already known, or to an earlier row
};

// Reads the file in pieces. Fails when it is not CSV in UTF-8, or when its
// header fits none of the formats, or more than one (then the format must be
// named). A row the entry editor could not save is rejected with its reason; a
// row equal in all three fields to one of known, or to an earlier row, is left out.
Result<Import> importCsv(QIODevice &csv, Format format, const std::vector<EntryRow> &known = {});
Result<Import> importCsv(QByteArrayView utf8, Format format = Format::Auto);

// The header "username,password,location", then one row per entry.
QByteArray exportCsv(const std::vector<EntryRow> &rows);

} // namespace VaultCsv
