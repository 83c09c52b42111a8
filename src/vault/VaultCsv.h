#pragma once

#include "Result.h"
#include "VaultEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Entries to and from CSV: our own export, and the exports of other password
// managers, recognised by their header rows.
namespace VaultCsv {

enum class Format { Auto, Keyholder, KeePassXC, Bitwarden, Chrome, Firefox };

// The names the command line takes: "auto", "keyholder", "keepassxc", ...
QStringList formatNames();
std::optional<Format> formatNamed(QStringView name);
QString nameOf(Format format);

// A row the vault cannot store. Rows count as a spreadsheet shows them: the header is row 1.
struct RejectedRow
{
    int row = 0;
    QString reason;
};

struct Import
{
    Format format = Format::Auto; // the one the header matched
    std::vector<VaultEntry> entries; // the rows that can be stored, in file order
    std::vector<RejectedRow> rejected;
};

// Fails when the file is not CSV in UTF-8 or its header is not that of the format.
Result<Import> importCsv(QByteArrayView utf8, Format format = Format::Auto);

// The header "username,password,location", then one row per entry.
QByteArray exportCsv(const std::vector<VaultEntry> &entries);

} // namespace VaultCsv
