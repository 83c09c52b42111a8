#include "ui/main/EntryHistory.h"

#include "ui/base/AppContext.h"
#include "ui/base/StatusReporter.h"
#include "ui/vault/modGlobals.h"

// One change, as the entry was before and after it. Its steps only change the
// list; the history saves and reports once the stack is done with it.
class EntryChange : public QUndoCommand
{
public:
    EntryChange(EntryHistory &history, std::optional<VaultEntry> before, std::optional<VaultEntry> after,
                int row, const QString &what)
        : QUndoCommand(what), m_history(history), m_before(std::move(before)), m_after(std::move(after)),
          m_row(row)
    {
    }

    void redo() override { step(m_before, m_after); }
    void undo() override { step(m_after, m_before); }

private:
    void step(const std::optional<VaultEntry> &from, const std::optional<VaultEntry> &to)
    {
        m_history.m_lastStep = m_history.apply(from, to, m_row);
        setObsolete(!m_history.m_lastStep.attempt);
    }

    EntryHistory &m_history;
    const std::optional<VaultEntry> m_before;
    const std::optional<VaultEntry> m_after;
    int m_row;
};

EntryHistory::EntryHistory(AppContext &context, StatusReporter &status, QObject *parent)
    : QObject(parent), m_ctx(context), m_status(&status)
{
}

Result<VaultSession::SaveStatus> EntryHistory::add(const VaultEntry &entry)
{
    Result<VaultSession::SaveStatus> attempt =
            push(std::nullopt, entry, m_ctx.session().entries().rowCount(), QStringLiteral("Add entry"));
    emit added();
    return attempt;
}

Result<VaultSession::SaveStatus> EntryHistory::replace(int row, const VaultEntry &entry)
{
    return push(m_ctx.session().entries().entry(row), entry, row, QStringLiteral("Edit entry"));
}

Result<VaultSession::SaveStatus> EntryHistory::remove(int row)
{
    return push(m_ctx.session().entries().entry(row), std::nullopt, row, QStringLiteral("Delete entry"));
}

Result<VaultSession::SaveStatus> EntryHistory::push(std::optional<VaultEntry> before,
                                                    std::optional<VaultEntry> after, int row, const QString &what)
{
    m_stepping = true;
    m_stack.push(new EntryChange(*this, std::move(before), std::move(after), row, what));
    m_stepping = false;
    // The entry of a change is in the list, so this step always has an attempt.
    Result<VaultSession::SaveStatus> attempt = std::move(*std::exchange(m_lastStep, {}).attempt);
    if (std::exchange(m_clearAfterStep, false))
        m_stack.clear();
    return attempt;
}

void EntryHistory::undo()
{
    if (m_stack.canUndo())
        takeStep(&QUndoStack::undo, QStringLiteral("Undone: ") + m_stack.undoText(),
                 QStringLiteral("Cannot undo: the entry is no longer in the list."));
}

void EntryHistory::redo()
{
    if (m_stack.canRedo())
        takeStep(&QUndoStack::redo, QStringLiteral("Redone: ") + m_stack.redoText(),
                 QStringLiteral("Cannot redo: the entry is no longer in the list."));
}

void EntryHistory::takeStep(void (QUndoStack::*step)(), const QString &done, const QString &refusal)
{
    if (modGlobals::RefuseChangeWhenReadOnly(m_ctx))
        return;
    m_stepping = true;
    (m_stack.*step)();
    m_stepping = false;
    report(done, refusal);
}

void EntryHistory::forget()
{
    if (m_stepping)
        m_clearAfterStep = true;
    else
        m_stack.clear();
}

void EntryHistory::report(const QString &done, const QString &refusal)
{
    Step step = std::exchange(m_lastStep, {});
    StatusReporter &status = statusLine();
    if (std::exchange(m_clearAfterStep, false))
        m_stack.clear();
    if (!step.attempt) {
        emit stepRefused(refusal);
        return;
    }
    if (!modGlobals::SaveVault(m_ctx, status, std::move(*step.attempt), done + QStringLiteral(".  Data saved.")))
        return;
    // Saving may have read another program's change in: the entry is looked for again.
    if (step.landed) {
        if (const int row = m_ctx.session().entries().nearestRowOf(*step.landed, step.row); row >= 0)
            emit stepLanded(row);
    }
}

EntryHistory::Step EntryHistory::apply(const std::optional<VaultEntry> &from, const std::optional<VaultEntry> &to,
                                       int &row)
{
    VaultSession &session = m_ctx.session();
    const EntryListModel &entries = session.entries();
    if (from) {
        const int at = entries.nearestRowOf(*from, row);
        if (at < 0)
            return {};
        row = at;
    }
    Step step{!from ? session.insert(row, *to) : to ? session.replace(row, *to) : session.remove(row), to, row};
    // A sorted list may have put it elsewhere.
    if (const int at = to ? entries.nearestRowOf(*to, row) : -1; at >= 0)
        row = step.row = at;
    return step;
}
