#pragma once

#include "EntryRow.h"
#include "VaultEntry.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <vector>

// The vault's entries, in display order: one column per field, each row's
// text whole. Sorting reorders the rows themselves, so a row's position is what
// the user sees. How the list shows them is the window's business.
class EntryListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum SortOrderValue { Ascending = 0, Descending = 1 };
    // Columns are the fields: 0 username, 1 password, 2 location.
    static constexpr int PasswordColumn = 1;
    static constexpr int FieldCount = 3;

    explicit EntryListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Rows are addressed from 0 here; the list control speaks 1-based positions.
    const std::vector<EntryRow> &rows() const { return m_rows; }
    const EntryRow &row(int row) const { return m_rows.at(static_cast<size_t>(row)); }
    VaultEntry entry(int row) const { return this->row(row).entry(); }
    // The row holding this entry; of equal ones, the nearest to `near`. -1 when none does.
    int nearestRowOf(const VaultEntry &entry, int near) const;
    // Adds at the end, or at its place in the order once the list is sorted. Returns the row.
    int add(const VaultEntry &entry);
    // As add, but at row (kept within the list) while the list is not sorted.
    int insert(int row, const VaultEntry &entry);
    // At the end; a sorted list then puts them in their places.
    void appendRows(std::vector<EntryRow> rows);
    // All rows at once, in the list's order when it is sorted.
    void resetRows(std::vector<EntryRow> rows);
    // Rewrites a row; a sorted list moves it to its place. Returns its row afterwards.
    int replace(int row, const VaultEntry &entry);
    void remove(int row);

    bool Sorted() const { return m_sorted; }
    int SortKey() const { return m_sortKey; }
    int SortOrder() const { return m_sortOrder; }
    // Changes the three settings together, so the rows are reordered at most once.
    void setSortSettings(bool sorted, int column, int order);

    static QString field(const VaultEntry &entry, int column);

private:
    bool lessInOrder(const EntryRow &a, const EntryRow &b) const;
    int sortedInsertRow(const EntryRow &row) const;
    void sortRows();

    std::vector<EntryRow> m_rows;
    bool m_sorted = false;
    int m_sortKey = 0;
    int m_sortOrder = Ascending;
    QCollator m_collator;
};
