#include "EntryListModel.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

EntryListModel::EntryListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int EntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EntryListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FieldCount;
}

QString EntryListModel::field(const VaultEntry &entry, int column)
{
    switch (column) {
    case 0:
        return entry.Username;
    case 1:
        return entry.Password;
    case 2:
        return entry.Location;
    default:
        return {};
    }
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return row(index.row()).field(index.column()).toString();
    return {};
}

int EntryListModel::nearestRowOf(const VaultEntry &entry, int near) const
{
    const EntryRow wanted(entry);
    int best = -1;
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows[static_cast<size_t>(row)] == wanted && (best < 0 || std::abs(row - near) < std::abs(best - near)))
            best = row;
    }
    return best;
}

// Texts are case-folded first: not every collation backend ignores case by itself.
bool EntryListModel::lessInOrder(const EntryRow &a, const EntryRow &b) const
{
    const int compared = m_collator.compare(a.field(m_sortKey).toString().toCaseFolded(),
                                            b.field(m_sortKey).toString().toCaseFolded());
    return m_sortOrder == Descending ? compared > 0 : compared < 0;
}

int EntryListModel::sortedInsertRow(const EntryRow &row) const
{
    const auto place = std::upper_bound(
        m_rows.begin(), m_rows.end(), row,
        [this](const EntryRow &a, const EntryRow &b) { return lessInOrder(a, b); });
    return static_cast<int>(place - m_rows.begin());
}

int EntryListModel::add(const VaultEntry &entry)
{
    return insert(rowCount(), entry);
}

int EntryListModel::insert(int row, const VaultEntry &entry)
{
    EntryRow newRow(entry);
    const int at = m_sorted ? sortedInsertRow(newRow) : std::clamp(row, 0, rowCount());
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, std::move(newRow));
    endInsertRows();
    return at;
}

void EntryListModel::appendRows(std::vector<EntryRow> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    // Filling the empty list at unlock takes the rows over whole, without a copy.
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                      std::make_move_iterator(rows.end()));
    endInsertRows();
    if (m_sorted)
        sortRows();
}

int EntryListModel::replace(int row, const VaultEntry &entry)
{
    m_rows.at(static_cast<size_t>(row)) = EntryRow(entry);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    if (!m_sorted)
        return row;
    // The other rows are still in order: find the row's place among them.
    const auto less = [this](const EntryRow &a, const EntryRow &b) { return lessInOrder(a, b); };
    const auto at = m_rows.begin() + row;
    const bool movesUp = row > 0 && lessInOrder(*at, *(at - 1));
    const int target = movesUp
            ? static_cast<int>(std::upper_bound(m_rows.begin(), at, *at, less) - m_rows.begin())
            : static_cast<int>(std::upper_bound(at + 1, m_rows.end(), *at, less) - m_rows.begin()) - 1;
    if (target == row)
        return row;
    beginMoveRows({}, row, row, {}, target > row ? target + 1 : target);
    if (target < row)
        std::rotate(m_rows.begin() + target, at, at + 1);
    else
        std::rotate(at, at + 1, m_rows.begin() + target + 1);
    endMoveRows();
    return target;
}

void EntryListModel::remove(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void EntryListModel::resetRows(std::vector<EntryRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    if (m_sorted)
        sortRows();
}

void EntryListModel::setSortSettings(bool sorted, int column, int order)
{
    const bool changed = sorted != m_sorted || column != m_sortKey || order != m_sortOrder;
    m_sorted = sorted;
    m_sortKey = column;
    m_sortOrder = order;
    if (changed && m_sorted)
        sortRows();
}

void EntryListModel::sortRows()
{
    const size_t count = m_rows.size();
    // One collation key per row: comparing keys is much cheaper than collating texts.
    // Texts are case-folded first: not every collation backend ignores case by itself.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (const EntryRow &row : m_rows)
        keys.push_back(m_collator.sortKey(row.field(m_sortKey).toString().toCaseFolded()));
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_sortOrder == Descending;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int compared = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
        return descending ? compared > 0 : compared < 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<EntryRow> sorted;
    sorted.reserve(count);
    std::vector<int> newRowOf(count);
    for (size_t i = 0; i < count; ++i) {
        sorted.push_back(std::move(m_rows[static_cast<size_t>(order[i])]));
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.push_back(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
