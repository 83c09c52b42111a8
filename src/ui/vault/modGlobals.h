#pragma once

#include "vault/Result.h"
#include "vault/VaultSession.h"

class AppContext;
class frmPass;
class StatusReporter;

// Between the vault session and the windows: opens the vault through the
// password dialog and tells the user how each save went.
namespace modGlobals {

// At the end of the main window's load: locks the vault, makes sure its file
// exists, reads the master line and opens the password dialog in create or
// check mode. Null when the program ended instead.
frmPass *OpenVault(AppContext &context);

enum class Unlock { Opened, WrongPassword, ProgramEnded };
// Check mode, once the file was read with the password (prepareUnlock). Once it
// is right, the entries are in the list. A vault that cannot be read ends the program.
Unlock LoadEntries(AppContext &context, const QString &password,
                   Result<VaultSession::Unlocking> prepared);
// Create mode, once the dialog accepted a new master password: writes the vault.
// False when it could not, and the program ended.
bool CreateMasterPassword(AppContext &context, const QString &password);

// Reports a save on the status line (savedText, or the time of the save), or
// in a box when it failed or when the file changed outside in a way that needs
// the user's word. True when the change is on disk; otherwise it stays in the
// list for the next save.
bool SaveVault(AppContext &context, StatusReporter &status,
               Result<VaultSession::SaveStatus> attempt, const QString &savedText = {});
// Saves what is waiting to be saved.
bool SaveVault(AppContext &context, StatusReporter &status);

// True, after saying so in a box, when the vault is open read-only.
bool RefuseChangeWhenReadOnly(AppContext &context);
// "Loaded 3 entries", and why the vault is read-only when it is.
QString LoadedText(AppContext &context, int entryCount);

} // namespace modGlobals
