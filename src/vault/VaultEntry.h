#pragma once

#include <QString>

// One entry as a value: where a password is used and with which user name, as
// the user types it, edits it or names it in a change. Entries in bulk (the
// list, a file read or written) are EntryRows.
struct VaultEntry
{
    QString Username;
    QString Password;
    QString Location;

    friend bool operator==(const VaultEntry &, const VaultEntry &) = default;
};
