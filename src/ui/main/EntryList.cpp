#include "ui/main/EntryList.h"

#include "ui/base/Controls.h"
#include "ui/base/Twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <stdexcept>

EntryList::EntryList(QWidget *parent, EntryListModel *rows)
    : QTreeView(parent), m_model(rows ? rows : new EntryListModel(this))
{
    Controls::setKind(this, Controls::Kind::ListView);
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit ColumnClick(section + 1); });
}

// The view's own copy puts the cell's text on the clipboard directly; the
// window copies it instead, so the clipboard is taken back later.
void EntryList::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        if (currentIndex().isValid())
            emit CopyKeyPressed(currentIndex().column());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void EntryList::addColumnHeader(const QString &text, int widthTwips)
{
    m_model->addColumnHeader(text);
    m_columnWidths.push_back(widthTwips);
    header()->resizeSection(m_model->columnCount() - 1, Twips::toPixels(widthTwips));
}

int EntryList::columnHeaderCount() const
{
    return m_model->columnCount();
}

QString EntryList::columnHeaderText(int index) const
{
    return m_model->headerData(index - 1, Qt::Horizontal, Qt::DisplayRole).toString();
}

int EntryList::columnHeaderWidth(int index) const
{
    return m_columnWidths.at(static_cast<size_t>(index - 1));
}

int EntryList::count() const
{
    return m_model->rowCount();
}

int EntryList::rowOf(int position) const
{
    if (position < 1 || position > count())
        throw std::out_of_range("no row at that position");
    return position - 1;
}

int EntryList::addItem(const VaultEntry &entry)
{
    return m_model->add(entry) + 1;
}

VaultEntry EntryList::item(int position) const
{
    return m_model->entry(rowOf(position));
}

QString EntryList::itemText(int position) const
{
    return subItem(position, 0);
}

QString EntryList::subItem(int position, int subItemIndex) const
{
    return m_model->row(rowOf(position)).field(subItemIndex).toString();
}

int EntryList::setItem(int position, const VaultEntry &entry)
{
    return m_model->replace(rowOf(position), entry) + 1;
}

void EntryList::removeItem(int position)
{
    m_model->remove(rowOf(position));
}

bool EntryList::isSelected(int position) const
{
    return selectionModel()->isRowSelected(rowOf(position), {});
}

void EntryList::setSelected(int position, bool selected)
{
    const QModelIndex index = m_model->index(rowOf(position), 0);
    selectionModel()->select(index, (selected ? QItemSelectionModel::ClearAndSelect
                                              : QItemSelectionModel::Deselect)
                                        | QItemSelectionModel::Rows);
    if (selected)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

int EntryList::firstSelectedPosition() const
{
    int first = 0;
    for (const QModelIndex &index : selectionModel()->selectedRows()) {
        if (first == 0 || index.row() + 1 < first)
            first = index.row() + 1;
    }
    return first;
}

void EntryList::setSortSettings(bool sorted, int column, int order)
{
    m_model->setSortSettings(sorted, column, order);
    showSortIndicator();
}

void EntryList::showSortIndicator()
{
    if (!Sorted())
        return;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(SortKey(), SortOrder() == EntryListModel::Descending
                                              ? Qt::DescendingOrder
                                              : Qt::AscendingOrder);
}
