#pragma once

#include "VaultEntry.h"
#include "VaultFormat.h"

#include <QString>
#include <QStringView>

// What every way in accepts alike: the password dialog, the entry editor,
// import and keyholder-cli. Each caller words the refusal its own way.
namespace Rules {

inline constexpr int MinimumMasterPasswordLength = 4;

struct MasterPasswordCheck
{
    enum class Problem { None, TooShort, Unstorable } problem = Problem::None;
    QString reason; // for Unstorable: "it contains ..."
};
MasterPasswordCheck checkMasterPassword(QStringView password);

struct EntryCheck
{
    enum class Problem { None, NoUsername, NoPassword, Unstorable } problem = Problem::None;
    VaultFormat::Field field = VaultFormat::Field::Username; // the field refused
    QString reason; // for Unstorable: "it contains ..."

    bool ok() const { return problem == Problem::None; }
    // "the username is empty", "the password cannot be stored: it contains ..."
    QString sentence() const;
};
// Username and password must not be empty, and the vault must store all three fields.
EntryCheck checkEntry(const VaultEntry &entry);

} // namespace Rules
