#include "ui/main/ShownEntries.h"

#include "vault/EntryListModel.h"

ShownEntries::ShownEntries(EntryListModel *entries, QObject *parent)
    : QIdentityProxyModel(parent), m_entries(entries)
{
    setSourceModel(entries);
}

void ShownEntries::addColumnTitle(const QString &title)
{
    m_titles.push_back(title);
    const int section = columnTitleCount() - 1;
    emit headerDataChanged(Qt::Horizontal, section, section);
}

QVariant ShownEntries::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return shownText(index);
    // A password is never shown in a tool tip; the others read markup, so
    // they get the text escaped, to show it as typed.
    if (role == Qt::ToolTipRole) {
        if (index.column() == EntryListModel::PasswordColumn)
            return {};
        return QString(QStringLiteral("<p style='white-space:pre-wrap'>") + shownText(index).toHtmlEscaped()
                       + QStringLiteral("</p>"));
    }
    return QIdentityProxyModel::data(index, role);
}

// Read from the row itself: the source's display text would copy a huge field whole.
QString ShownEntries::shownText(const QModelIndex &index) const
{
    const QStringView text = m_entries->row(index.row()).field(index.column());
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
