#include "PendingChanges.h"

#include <algorithm>
#include <functional>

namespace {

using Rows = std::vector<EntryRow>;

bool holds(const EntryRow &row, const VaultEntry &entry)
{
    return row.username() == entry.Username && row.password() == entry.Password
            && row.location() == entry.Location;
}

bool isShown(const Rows &shown, const EntryRow &row)
{
    return std::find(shown.begin(), shown.end(), row) != shown.end();
}

// The file's version of an entry changed there: one the list has never shown,
// with the same username and location, else the same username, else the same location.
std::optional<VaultEntry> theirVersionOf(const VaultEntry &before, const Rows &fileRows, const Rows &shown)
{
    const auto sameUsername = [&](const EntryRow &r) { return r.username() == before.Username; };
    const auto sameLocation = [&](const EntryRow &r) { return r.location() == before.Location; };
    const auto sameBoth = [&](const EntryRow &r) { return sameUsername(r) && sameLocation(r); };
    using Match = std::function<bool(const EntryRow &)>;
    for (const Match &matches : {Match(sameBoth), Match(sameUsername), Match(sameLocation)}) {
        for (const EntryRow &candidate : fileRows) {
            if (matches(candidate) && !isShown(shown, candidate))
                return candidate.entry();
        }
    }
    return std::nullopt;
}

Rows::iterator findEntry(Rows &rows, const std::optional<VaultEntry> &entry)
{
    if (!entry)
        return rows.end();
    return std::find_if(rows.begin(), rows.end(), [&](const EntryRow &row) { return holds(row, *entry); });
}

} // namespace

void PendingChanges::added(const VaultEntry &entry, std::optional<VaultEntry> next)
{
    m_changes.push_back({Change::Add, std::nullopt, entry, false, {}, std::move(next)});
}

void PendingChanges::addedRows(std::vector<EntryRow> rows)
{
    m_changes.push_back({Change::AddRows, std::nullopt, {}, false, std::move(rows)});
}

// A change to an entry that an earlier change here made joins that change: the
// file never held the entry in between, and the user is asked about it once.
PendingChanges::Change *PendingChanges::changeThatMade(const VaultEntry &entry)
{
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        if ((it->kind == Change::Add || it->kind == Change::Edit) && it->after == entry)
            return &*it;
    }
    return nullptr;
}

void PendingChanges::edited(const VaultEntry &before, const VaultEntry &after)
{
    if (Change *earlier = changeThatMade(before))
        earlier->after = after;
    else
        m_changes.push_back({Change::Edit, before, after});
}

void PendingChanges::deleted(const VaultEntry &before)
{
    Change *earlier = changeThatMade(before);
    if (!earlier) {
        m_changes.push_back({Change::Delete, before, {}});
    } else if (earlier->kind == Change::Edit) {
        *earlier = {Change::Delete, earlier->before, {}, earlier->disputed};
    } else {
        m_changes.erase(m_changes.begin() + (earlier - m_changes.data()));
    }
}

bool PendingChanges::hasDisputes() const
{
    return std::any_of(m_changes.begin(), m_changes.end(), [](const Change &c) { return c.disputed; });
}

PendingChanges::Merge PendingChanges::mergeInto(Rows fileRows, const Rows &shown)
{
    Merge merge;
    // Copies share their text with the file's rows.
    const Rows theirs = fileRows;
    merge.entries = std::move(fileRows);
    Rows &merged = merge.entries;
    for (auto it = m_changes.begin(); it != m_changes.end();) {
        Change &change = *it;
        if (change.kind == Change::Add) {
            // In front of the entry it was put before, when the file still holds that one.
            merged.emplace(findEntry(merged, change.next), change.after);
            ++it;
            continue;
        }
        if (change.kind == Change::AddRows) {
            merged.insert(merged.end(), change.rows.begin(), change.rows.end());
            ++it;
            continue;
        }
        auto at = findEntry(merged, change.before);
        if (at == merged.end() && change.before) {
            // Changed or deleted in the file since it was last seen here.
            change.before = theirVersionOf(*change.before, theirs, shown);
            change.disputed = true;
            at = findEntry(merged, change.before);
        }
        if (change.kind == Change::Delete && !change.before) {
            it = m_changes.erase(it); // deleted on both sides
            continue;
        }
        if (!change.disputed) {
            if (change.kind == Change::Edit)
                *at = EntryRow(change.after);
            else
                merged.erase(at);
            ++it;
            continue;
        }
        // Shown until it is settled: the edit made here, and an entry deleted
        // here but changed there.
        if (change.kind == Change::Edit) {
            merge.disputes.push_back({change.after, change.before});
            if (at != merged.end())
                *at = EntryRow(change.after);
            else
                merged.emplace_back(change.after);
        } else {
            merge.disputes.push_back({std::nullopt, change.before});
        }
        ++it;
    }
    return merge;
}

void PendingChanges::resolve(Resolution resolution)
{
    for (auto it = m_changes.begin(); it != m_changes.end();) {
        Change &change = *it;
        if (!change.disputed) {
            ++it;
            continue;
        }
        change.disputed = false;
        const bool keepMine = resolution == Resolution::KeepMine
                || (resolution == Resolution::KeepBoth && change.kind == Change::Edit);
        if (!keepMine) {
            it = m_changes.erase(it);
            continue;
        }
        // Both versions, or an entry deleted there: what was typed here is added anew.
        if (change.kind == Change::Edit && (resolution == Resolution::KeepBoth || !change.before))
            change = {Change::Add, std::nullopt, change.after};
        ++it;
    }
}

Rows PendingChanges::shownToMergeWith(const Rows &shown) const
{
    Rows kept;
    for (const EntryRow &row : shown) {
        const bool related = std::any_of(m_changes.begin(), m_changes.end(), [&](const Change &change) {
            return change.before
                    && (row.username() == change.before->Username || row.location() == change.before->Location);
        });
        if (related)
            kept.push_back(row);
    }
    return kept;
}
