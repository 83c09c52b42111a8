#pragma once

#include "vault/Result.h"
#include "vault/VaultEntry.h"
#include "vault/VaultSession.h"

#include <QObject>
#include <QUndoStack>

#include <optional>

class AppContext;
class StatusReporter;

// The adds, edits and deletes of this run, since the vault was unlocked: each
// goes to the vault through here, so it can be taken back and done again.
// Every step is saved at once. A list read again from the file (another
// program's change, a lock) starts the history afresh.
class EntryHistory : public QObject
{
    Q_OBJECT

public:
    EntryHistory(AppContext &context, StatusReporter &status, QObject *parent = nullptr);

    StatusReporter &status() const { return *m_status; }

    // The changes, as VaultSession makes them; rows are 0-based.
    Result<VaultSession::SaveStatus> add(const VaultEntry &entry);
    Result<VaultSession::SaveStatus> replace(int row, const VaultEntry &entry);
    Result<VaultSession::SaveStatus> remove(int row);

    void undo();
    void redo();
    QUndoStack &stack() { return m_stack; }

signals:
    // A new entry joined the list through add().
    void added();
    // An undo or redo left this entry (0-based row) in the list.
    void stepLanded(int row);

private:
    friend class EntryChange;
    // Turns `from` into `to` in the list, near the row; nothing for either side
    // is an add or a delete. False when `from` is no longer in the list.
    std::optional<Result<VaultSession::SaveStatus>> apply(const std::optional<VaultEntry> &from,
                                                          const std::optional<VaultEntry> &to, int &row);
    Result<VaultSession::SaveStatus> push(std::optional<VaultEntry> before, std::optional<VaultEntry> after,
                                          int row, const QString &what);
    int rowNear(const VaultEntry &entry, int row) const;

    AppContext &m_ctx;
    StatusReporter *m_status;
    QUndoStack m_stack;
    // What the first step of a change gave, for the one who asked for it.
    std::optional<Result<VaultSession::SaveStatus>> m_firstAttempt;
};
