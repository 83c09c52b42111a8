#include "ui/main/EntryList.h"

#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/main/ShownEntries.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <stdexcept>

EntryList::EntryList(QWidget *parent, EntryListModel *entries)
    : QTableView(parent), m_model(entries), m_shown(new ShownEntries(entries, this))
{
    Controls::setKind(this, Controls::Kind::ListView);
    setModel(m_shown);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowHeightToText();
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit ColumnClick(section + 1); });
    connect(this, &QAbstractItemView::doubleClicked, this, &EntryList::EditRequested);
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
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Delete:
            event->accept();
            emit DeleteKeyPressed();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            emit EditRequested();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

// Keys move between entries only, as in any list of rows: Home and End go to
// the first and last entry, and Left and Right scroll the columns into view.
QModelIndex EntryList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    switch (action) {
    case MoveHome:
        return m_shown->index(0, column);
    case MoveEnd:
        return m_shown->index(m_shown->rowCount() - 1, column);
    case MoveLeft:
    case MoveRight: {
        QScrollBar *bar = horizontalScrollBar();
        bar->setValue(bar->value() + (action == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        return current;
    }
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void EntryList::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowHeightToText();
}

// Every row is one line of text high, as the style draws an item.
void EntryList::fitRowHeightToText()
{
    QStyleOptionViewItem item;
    initViewItemOption(&item);
    item.features |= QStyleOptionViewItem::HasDisplay;
    item.text = QStringLiteral("Xy");
    const int height = style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), this).height();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

void EntryList::addColumnHeader(const QString &text, int widthTwips)
{
    m_shown->addColumnTitle(text);
    header()->resizeSection(m_shown->columnTitleCount() - 1, Twips::toPixels(widthTwips));
}

int EntryList::columnHeaderCount() const
{
    return m_shown->columnTitleCount();
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

VaultEntry EntryList::item(int position) const
{
    return m_model->entry(rowOf(position));
}

int EntryList::firstSelectedPosition() const
{
    int first = 0;
    for (const QModelIndex &index : selectionModel()->selectedRows()) {
        const int position = m_shown->mapToSource(index).row() + 1;
        if (first == 0 || position < first)
            first = position;
    }
    return first;
}

void EntryList::selectPosition(int position)
{
    const QModelIndex shown = m_shown->mapFromSource(m_model->index(rowOf(position), 0));
    if (!shown.isValid())
        return;
    setCurrentIndex(shown);
    scrollTo(shown);
}

void EntryList::setFind(const QString &typed)
{
    m_shown->setFind(typed);
    if (m_shown->rowCount() > 0)
        setCurrentIndex(m_shown->index(0, 0));
}

void EntryList::endFind()
{
    m_shown->setFind({});
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void EntryList::setPasswordsHidden(bool hidden)
{
    m_shown->setPasswordsHidden(hidden);
}

bool EntryList::passwordsHidden() const
{
    return m_shown->passwordsHidden();
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
