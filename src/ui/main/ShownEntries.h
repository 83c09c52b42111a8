#pragma once

#include <QIdentityProxyModel>
#include <QString>

#include <vector>

class EntryListModel;

// The vault's entries as the entry list shows them: under column titles, each
// field cut short when it is long, and with tool tips. The entries themselves
// stay whole.
class ShownEntries : public QIdentityProxyModel
{
    Q_OBJECT

public:
    // A longer field is cut short on screen, so a huge one cannot stall the window.
    static constexpr int MaximumShownLength = 2000;

    explicit ShownEntries(EntryListModel *entries, QObject *parent = nullptr);

    // Titles go to the columns left to right, in the order they are added.
    void addColumnTitle(const QString &title);
    int columnTitleCount() const { return static_cast<int>(m_titles.size()); }

    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString shownText(const QModelIndex &index) const;

    const EntryListModel *m_entries;
    std::vector<QString> m_titles;
};
