#pragma once

#include "vault/EntryListModel.h"

#include <QTableView>

class ShownEntries;

// The entry list control of the main window (lstPass): a report view of three
// columns. Positions are 1-based and follow the list's order, counting the
// entries the find box hides too. A table view keeps 8 bytes a row where a
// tree view keeps 40 and lays out every row before the first paint.
class EntryList : public QTableView
{
    Q_OBJECT

public:
    // Shows the vault session's entries; they change through the session, which
    // keeps track of what is not saved yet.
    EntryList(QWidget *parent, EntryListModel *entries);

    QHeaderView *header() const { return horizontalHeader(); }
    // Column headers, left to right in the order added; widths in twips.
    void addColumnHeader(const QString &text, int widthTwips);
    int columnHeaderCount() const;

    int count() const;
    VaultEntry item(int position) const;

    // The first selected row, scanning from position 1; 0 when none is.
    int firstSelectedPosition() const;
    // Makes the entry at this position the current and selected one, in view,
    // unless the find box hides it.
    void selectPosition(int position);

    // Shows only the entries holding every typed word; the first of them becomes
    // the selected one.
    void setFind(const QString &typed);
    // Shows every entry again, the selection kept.
    void endFind();
    void setPasswordsHidden(bool hidden);
    bool passwordsHidden() const;

    bool Sorted() const { return m_model->Sorted(); }
    int SortKey() const { return m_model->SortKey(); }
    int SortOrder() const { return m_model->SortOrder(); }
    void setSorted(bool sorted) { setSortSettings(sorted, SortKey(), SortOrder()); }
    void setSortSettings(bool sorted, int column, int order);

signals:
    // Once per click on a header, with the header's 1-based index.
    void ColumnClick(int columnHeaderIndex);
    // The copy key (Ctrl+C), with the column of the current cell, 0-based.
    void CopyKeyPressed(int column);
    void DeleteKeyPressed();
    // Enter or a double-click on an entry.
    void EditRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent *event) override;

private:
    int rowOf(int position) const;
    void showSortIndicator();
    void fitRowHeightToText();

    EntryListModel *m_model;
    ShownEntries *m_shown;
};
