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
// Every step is saved at once. Entries are found again by what they hold, so
// another program's change in between does no harm.
class EntryHistory : public QObject
{
    Q_OBJECT

public:
    EntryHistory(AppContext &context, StatusReporter &status, QObject *parent = nullptr);

    StatusReporter &statusLine() const { return *m_status; }

    // The changes, as VaultSession makes them; rows are 0-based.
    Result<VaultSession::SaveStatus> add(const VaultEntry &entry);
    Result<VaultSession::SaveStatus> replace(int row, const VaultEntry &entry);
    Result<VaultSession::SaveStatus> remove(int row);

    void undo();
    void redo();
    // Forgets every step: the vault locked.
    void forget();
    QUndoStack &stack() { return m_stack; }

signals:
    // A new entry joined the list through add().
    void added();
    // An undo or redo left this entry (0-based row) in the list.
    void stepLanded(int row);
    // An undo or redo found its entry no longer in the list, and did nothing.
    void stepRefused(const QString &why);

private:
    friend class EntryChange;
    // What one step did: nothing when `from` was no longer in the list.
    struct Step
    {
        std::optional<Result<VaultSession::SaveStatus>> attempt;
        std::optional<VaultEntry> landed;
        int row = 0;
    };
    // Turns `from` into `to` in the list, near the row; nothing for either side
    // is an add or a delete. The row follows the entry.
    Step apply(const std::optional<VaultEntry> &from, const std::optional<VaultEntry> &to, int &row);
    Result<VaultSession::SaveStatus> push(std::optional<VaultEntry> before, std::optional<VaultEntry> after,
                                          int row, const QString &what);
    void takeStep(void (QUndoStack::*step)(), const QString &done, const QString &refusal);
    // The stack's step has returned; saving may open boxes, which must not run inside it.
    void report(const QString &done, const QString &refusal);

    AppContext &m_ctx;
    StatusReporter *m_status;
    QUndoStack m_stack;
    Step m_lastStep;
    bool m_stepping = false;
    bool m_clearAfterStep = false;
};
