#include "ui/main/EntryHistory.h"

#include "ui/base/AppContext.h"
#include "ui/base/StatusReporter.h"
#include "ui/vault/modGlobals.h"

#include <QTimer>

#include <cstdlib>

// One change, as the entry was before and after it.
class EntryChange : public QUndoCommand
{
public:
    EntryChange(EntryHistory &history, std::optional<VaultEntry> before, std::optional<VaultEntry> after,
                int row, const QString &what)
        : QUndoCommand(what), m_history(history), m_before(std::move(before)), m_after(std::move(after)),
          m_row(row)
    {
    }

    void redo() override
    {
        if (!m_done) {
            m_done = true;
            m_history.m_firstAttempt = m_history.apply(m_before, m_after, m_row);
            return;
        }
        step(m_before, m_after, QStringLiteral("Redone: "));
    }

    void undo() override { step(m_after, m_before, QStringLiteral("Undone: ")); }

private:
    void step(const std::optional<VaultEntry> &from, const std::optional<VaultEntry> &to, const QString &done)
    {
        std::optional<Result<VaultSession::SaveStatus>> attempt = m_history.apply(from, to, m_row);
        if (!attempt) {
            m_history.status().SetStatus(QStringLiteral("Cannot take this back: the entry is no longer in the list."));
            setObsolete(true);
            return;
        }
        modGlobals::SaveVault(m_history.m_ctx, m_history.status(), std::move(*attempt),
                              done + text() + QStringLiteral(".  Data saved."));
        if (to)
            emit m_history.stepLanded(m_row);
    }

    EntryHistory &m_history;
    const std::optional<VaultEntry> m_before;
    const std::optional<VaultEntry> m_after;
    int m_row;
    bool m_done = false;
};

EntryHistory::EntryHistory(AppContext &context, StatusReporter &status, QObject *parent)
    : QObject(parent), m_ctx(context), m_status(&status)
{
    // Rows in the history name places in the list as this run made it.
    connect(&context.session().entries(), &QAbstractItemModel::modelReset, this,
            [this] { QTimer::singleShot(0, &m_stack, &QUndoStack::clear); });
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
    m_firstAttempt.reset();
    m_stack.push(new EntryChange(*this, std::move(before), std::move(after), row, what));
    Result<VaultSession::SaveStatus> attempt = std::move(*m_firstAttempt);
    m_firstAttempt.reset();
    return attempt;
}

void EntryHistory::undo()
{
    if (m_stack.canUndo() && !modGlobals::RefuseChangeWhenReadOnly(m_ctx))
        m_stack.undo();
}

void EntryHistory::redo()
{
    if (m_stack.canRedo() && !modGlobals::RefuseChangeWhenReadOnly(m_ctx))
        m_stack.redo();
}

std::optional<Result<VaultSession::SaveStatus>> EntryHistory::apply(const std::optional<VaultEntry> &from,
                                                                     const std::optional<VaultEntry> &to, int &row)
{
    VaultSession &session = m_ctx.session();
    if (from) {
        const int at = rowNear(*from, row);
        if (at < 0)
            return std::nullopt;
        row = at;
    }
    Result<VaultSession::SaveStatus> attempt = !from ? session.insert(row, *to)
                                              : to   ? session.replace(row, *to)
                                                     : session.remove(row);
    // A sorted list may have put it elsewhere.
    if (const int at = to ? rowNear(*to, row) : -1; at >= 0)
        row = at;
    return attempt;
}

// The same entry may be in the list more than once: the one closest to where it was.
int EntryHistory::rowNear(const VaultEntry &entry, int row) const
{
    const std::vector<EntryRow> &rows = m_ctx.session().entries().rows();
    const EntryRow wanted(entry);
    int best = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == wanted && (best < 0 || std::abs(static_cast<int>(i) - row) < std::abs(best - row)))
            best = static_cast<int>(i);
    }
    return best;
}
