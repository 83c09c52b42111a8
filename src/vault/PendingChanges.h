#pragma once

#include "EntryRow.h"
#include "VaultEntry.h"

#include <optional>
#include <vector>

// The changes made here since the file was last read or written, kept so they
// can be put on top of a file that another program changed meanwhile. Entries
// have no identity but their three texts: an edit or a deletion finds its entry
// by the texts it had.
class PendingChanges
{
public:
    // An entry changed both here and in the file. Empty means deleted on that side.
    struct Dispute
    {
        std::optional<VaultEntry> mine;
        std::optional<VaultEntry> theirs;
    };
    enum class Resolution { KeepMine, KeepTheirs, KeepBoth };

    // What the list should show after a merge: the file's entries with the
    // changes made here on top, and the entries changed on both sides.
    struct Merge
    {
        std::vector<EntryRow> entries;
        std::vector<Dispute> disputes;
    };

    // next is the entry it was put in front of; none: at the end.
    void added(const VaultEntry &entry, std::optional<VaultEntry> next = std::nullopt);
    // Many at once, as an import adds them; the rows share their text with the list's.
    void addedRows(std::vector<EntryRow> rows);
    void edited(const VaultEntry &before, const VaultEntry &after);
    void deleted(const VaultEntry &before);

    bool isEmpty() const { return m_changes.empty(); }
    bool hasDisputes() const;
    void clear() { m_changes.clear(); }

    // Puts the changes on top of the file's rows. A change whose entry was
    // changed or deleted in the file becomes a dispute, paired with the file's
    // new version of it, and stays disputed until resolve(). shown is the list
    // as it is now, which tells the file's new entries from those seen here.
    Merge mergeInto(std::vector<EntryRow> fileRows, const std::vector<EntryRow> &shown);
    // Settles every dispute; the next merge then applies them.
    void resolve(Resolution resolution);
    // What a merge needs of shown while the list is away (a locked vault): the
    // rows that share a username or location with an entry changed here.
    std::vector<EntryRow> shownToMergeWith(const std::vector<EntryRow> &shown) const;

private:
    struct Change
    {
        enum Kind { Add, AddRows, Edit, Delete } kind;
        // The entry it applies to; empty once it was deleted in the file.
        std::optional<VaultEntry> before;
        VaultEntry after;
        bool disputed = false;
        std::vector<EntryRow> rows = {}; // AddRows only
        std::optional<VaultEntry> next = std::nullopt; // Add only: the entry it went in front of
    };

    Change *changeThatMade(const VaultEntry &entry);

    std::vector<Change> m_changes;
};
