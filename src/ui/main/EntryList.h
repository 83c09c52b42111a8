#pragma once

#include "vault/EntryListModel.h"

#include <QTreeView>

// The entry list control of the main window (lstPass): a report view of three
// columns. Positions are 1-based and follow the displayed order.
class EntryList : public QTreeView
{
    Q_OBJECT

public:
    // Shows the given rows (the vault session's), or rows of its own.
    explicit EntryList(QWidget *parent, EntryListModel *rows = nullptr);

    EntryListModel &entries() { return *m_model; }
    const EntryListModel &entries() const { return *m_model; }

    // Column headers, left to right in the order added; widths in twips.
    void addColumnHeader(const QString &text, int widthTwips);
    int columnHeaderCount() const;
    QString columnHeaderText(int index) const;
    int columnHeaderWidth(int index) const;

    int count() const;
    // Returns the new row's position (at the end, or its sorted place).
    int addItem(const VaultEntry &entry);
    VaultEntry item(int position) const;
    QString itemText(int position) const;
    QString subItem(int position, int subItemIndex) const;
    // Returns the row's position afterwards (a sorted list keeps it in order).
    int setItem(int position, const VaultEntry &entry);
    void removeItem(int position);

    bool isSelected(int position) const;
    void setSelected(int position, bool selected);
    // The first selected row, scanning from position 1; 0 when none is.
    int firstSelectedPosition() const;

    bool Sorted() const { return m_model->Sorted(); }
    int SortKey() const { return m_model->SortKey(); }
    int SortOrder() const { return m_model->SortOrder(); }
    void setSorted(bool sorted) { setSortSettings(sorted, SortKey(), SortOrder()); }
    void setSortKey(int column) { setSortSettings(Sorted(), column, SortOrder()); }
    void setSortOrder(int order) { setSortSettings(Sorted(), SortKey(), order); }
    void setSortSettings(bool sorted, int column, int order);

signals:
    // Once per click on a header, with the header's 1-based index.
    void ColumnClick(int columnHeaderIndex);
    // The copy key (Ctrl+C), with the column of the current cell, 0-based.
    void CopyKeyPressed(int column);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int rowOf(int position) const;
    void showSortIndicator();

    EntryListModel *m_model;
    std::vector<int> m_columnWidths;
};
