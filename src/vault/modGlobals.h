#pragma once

class AppContext;

// Moves the entries between the vault file and the main window's list. The
// list is the only copy in memory; every change is written back whole.
namespace modGlobals {

// At the end of the main window's load: makes sure the vault file exists, reads
// the master line and opens the password dialog in create or check mode.
void OpenVault(AppContext &context);
void AskNewMasterPassword(AppContext &context);
void AskMasterPassword(AppContext &context);

// After the dialog accepted the stored master password: fills the list.
void LoadEntries(AppContext &context);
// After the dialog accepted a new master password: writes the vault.
void CreateMasterPassword(AppContext &context);

// Rewrites the vault from the master password and every row of the list, in
// display order. On failure the user is told and false is returned; the list
// keeps the change, so the next save writes it.
bool SaveVault(AppContext &context);

} // namespace modGlobals
