#pragma once

#include "VaultEntry.h"

#include <QString>
#include <QStringView>

// One entry as entries are kept in bulk (the list, a file read or written):
// the three fields back to back in one string, so that a vault of a million
// entries costs one allocation per entry. To edit or compare one entry, take
// its VaultEntry.
class EntryRow
{
public:
    EntryRow() = default;
    explicit EntryRow(const VaultEntry &entry);
    // text holds username, password and location in that order; the offsets say where each begins.
    EntryRow(QString text, qsizetype passwordAt, qsizetype locationAt);

    // 0 username, 1 password, 2 location; any other column is empty.
    QStringView field(int column) const;
    QStringView username() const { return field(0); }
    QStringView password() const { return field(1); }
    QStringView location() const { return field(2); }
    VaultEntry entry() const;

    friend bool operator==(const EntryRow &a, const EntryRow &b)
    {
        return a.username() == b.username() && a.password() == b.password() && a.location() == b.location();
    }

private:
    QString m_text;
    // A vault file is far smaller than 2 GiB, and so is every field in it.
    qint32 m_passwordAt = 0;
    qint32 m_locationAt = 0;
};
