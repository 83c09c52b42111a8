#pragma once

#include "EntryRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

// data.enc: the enciphered master password on the first line, then one
// enciphered "username|||password|||location" line per entry, lines ending in
// CR LF.
namespace VaultFormat {

inline constexpr QStringView FieldSeparator = u"|||";

// The file as the list keeps it: each entry one row.
struct Contents
{
    QString MasterPassword;
    std::vector<EntryRow> Rows;

    friend bool operator==(const Contents &, const Contents &) = default;
};

Contents parse(QByteArrayView fileBytes);
// The same for a file read into the block its text goes to, at or past byte
// fileBytes.size() of the block's text: a large vault is in memory once, not
// twice. The rows take the block over, and what is left of the file is wiped.
Contents parseInBlock(QByteArrayView fileBytes, EntryRow::Block *block);
QString readMasterPassword(QByteArrayView fileBytes);

// An entry as its line has it, enciphered: for a reader that only passes
// entries on, so none is decoded into a row.
struct RawEntry
{
    QByteArrayView username, password, location;

    // Each byte of a field is one character: this one.
    static char16_t characterOf(uchar byte);
};
// Each entry of the file, in order, as parse would read it.
void forEachEntry(QByteArrayView fileBytes, const std::function<void(const RawEntry &)> &take);

// moreRows follow rows as if the two were one list: an import is written
// before it joins the list, without a copy of the list.
QByteArray serialize(const QString &masterPassword, const std::vector<EntryRow> &rows,
                     const std::vector<EntryRow> &moreRows = {});
// What serialize writes of what parse reads from fileBytes, with moreRows
// after its entries, straight from the file: none of them becomes a row.
// entriesInFile gets how many entries the file held.
QByteArray serializeAfterFile(QByteArrayView fileBytes, const std::vector<EntryRow> &moreRows,
                              qsizetype *entriesInFile = nullptr);
QByteArray masterOnly(const QString &masterPassword);
QByteArray emptyVault();

// The file to write when the master password is first set: entry lines that
// were already in the file are kept, otherwise only the master line is written.
QByteArray withFirstMasterPassword(QByteArrayView existingFileBytes, const QString &masterPassword);

// Empty when the text survives a save and a read unchanged; otherwise why not,
// worded for the user.
QString unstorableReason(QStringView text);
enum class Field { Username, Password, Location };
// As unstorableReason, and also refuses what would break the split into fields.
QString fieldUnstorableReason(QStringView text, Field field);

} // namespace VaultFormat
