#pragma once

#include "CommandLine.h"
#include "vault/BreachList.h"
#include "vault/EncryptedFormat.h"
#include "vault/Result.h"
#include "vault/VaultSession.h"

#include <QString>

#include <functional>
#include <optional>

class Console;
class EntryRow;
struct VaultEntry;

// Runs one command of keyholder-cli on a vault session (generate needs none). Returns the exit
// status: 0 done, 1 failed (the reason on standard error, the vault as it was).
class VaultCommands
{
public:
    VaultCommands(const Invocation &invocation, Console &console);

    int run();

private:
    Result<void> execute();
    Result<void> openSession(VaultSession &session);
    Result<void> lock(VaultSession &session);
    Result<void> create(VaultSession &session);
    Result<void> unlock(VaultSession &session);
    // Asks the master password and hands it to open; the errors of a failed unlock.
    Result<void> unlockWith(const VaultSession &session,
                            const std::function<Result<VaultSession::UnlockOutcome>(const QString &)> &open);

    Result<void> list(const VaultSession &session);
    Result<void> listFromFile(const VaultSession &session);
    Result<void> show(const VaultSession &session);
    Result<void> add(VaultSession &session);
    Result<void> addThroughFile(VaultSession &session);
    // The entry add makes: its password asked or generated, and checked.
    Result<VaultEntry> newEntry();
    Result<void> edit(VaultSession &session);
    Result<void> remove(VaultSession &session);
    Result<void> exportCsv(const VaultSession &session);
    Result<void> importCsv(VaultSession &session);
    Result<void> encrypt(VaultSession &session);
    Result<void> decrypt(VaultSession &session);
    Result<void> passwd(VaultSession &session);
    Result<void> generate();
    Result<void> check(const VaultSession &session);

    // username TAB location, or username TAB password TAB location, escaped.
    void outFields(const EntryRow &row, bool withPassword);

    Result<int> entryRow(const VaultSession &session) const;
    Result<QString> askPassword(const QString &prompt);
    // Typed twice when repeat is set, so a slip does not lock the user out.
    Result<QString> askNewMasterPassword(bool repeat);
    EncryptedFormat::KdfLimits tunedLimits();

    const Invocation &m_invocation;
    Console &m_console;
    QString m_vaultPath;
    std::optional<BreachList> m_breaches; // check --breached
};
