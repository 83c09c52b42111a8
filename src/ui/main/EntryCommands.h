#pragma once

#include <QString>

class AppContext;
class EntryHistory;
class EntryList;
class StatusReporter;
struct VaultEntry;

// The main window's commands on the selected entry besides Add and Edit. Each
// reports its outcome on the status line.
namespace EntryCommands {

// Asks for confirmation, removes the entry and saves the vault.
void Delete(AppContext &context, EntryList &list, EntryHistory &history);
// Puts one field of the entry on the clipboard: 0 username, 1 password, 2 location.
void Copy(AppContext &context, const EntryList &list, StatusReporter &status, int fieldIndex);
// Opens the entry's location with the user's browser or file manager.
void GoTo(AppContext &context, const EntryList &list, StatusReporter &status);

QString deleteConfirmation(const VaultEntry &entry);
// The location as handed to the launcher: web-like texts without a scheme get "http://".
QString addressFor(const QString &location);

} // namespace EntryCommands
