#pragma once

#include <QString>

// One line of the vault: where a password is used and with which user name.
struct VaultEntry
{
    QString Username;
    QString Password;
    QString Location;

    friend bool operator==(const VaultEntry &, const VaultEntry &) = default;
};
