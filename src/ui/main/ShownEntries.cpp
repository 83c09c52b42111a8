#include "ui/main/ShownEntries.h"

#include "vault/EntryListModel.h"

const QString ShownEntries::HiddenPassword = QString(8, QChar(0x2022));

ShownEntries::ShownEntries(EntryListModel *entries, QObject *parent)
    : QSortFilterProxyModel(parent), m_entries(entries)
{
    setSourceModel(entries);
}

void ShownEntries::addColumnTitle(const QString &title)
{
    m_titles.push_back(title);
    const int section = columnTitleCount() - 1;
    emit headerDataChanged(Qt::Horizontal, section, section);
}

void ShownEntries::setFind(const QString &typed)
{
    m_find = EntryFind(typed);
    // One change of layout, not a removal for every run of rows hidden: each
    // removal costs this model and the view a pass over the rows after it.
    invalidate();
}

bool ShownEntries::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return m_find.isEmpty() || m_find.matches(m_entries->row(sourceRow));
}

void ShownEntries::setPasswordsHidden(bool hidden)
{
    if (hidden == m_passwordsHidden)
        return;
    m_passwordsHidden = hidden;
    if (rowCount() > 0)
        emit dataChanged(index(0, EntryListModel::PasswordColumn),
                         index(rowCount() - 1, EntryListModel::PasswordColumn));
}

bool ShownEntries::isHiddenPassword(const QModelIndex &index) const
{
    return m_passwordsHidden && index.column() == EntryListModel::PasswordColumn;
}

QVariant ShownEntries::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return isHiddenPassword(index) ? HiddenPassword : shownText(index);
    // A password is never shown in a tool tip; the others read markup, so
    // they get the text escaped, to show it as typed.
    if (role == Qt::ToolTipRole) {
        if (index.column() == EntryListModel::PasswordColumn)
            return {};
        return QString(QStringLiteral("<p style='white-space:pre-wrap'>") + shownText(index).toHtmlEscaped()
                       + QStringLiteral("</p>"));
    }
    return QSortFilterProxyModel::data(index, role);
}

// Read from the row itself: the source's display text would copy a huge field whole.
QString ShownEntries::shownText(const QModelIndex &index) const
{
    const QStringView text = m_entries->row(mapToSource(index).row()).field(index.column());
    if (text.size() <= MaximumShownLength)
        return text.toString();
    return text.first(MaximumShownLength).toString() + QChar(0x2026);
}

QVariant ShownEntries::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnTitleCount())
        return m_titles[static_cast<size_t>(section)];
    return {};
}
