#pragma once

#include "vault/EntryFind.h"

#include <QSortFilterProxyModel>
#include <QString>

#include <vector>

class EntryListModel;

// The vault's entries as the entry list shows them: under column titles, only
// those the find box matches, each field cut short when it is long, passwords
// masked when the user hides them, and with tool tips. The entries themselves
// stay whole and all of them stay in the vault.
class ShownEntries : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // A longer field is cut short on screen, so a huge one cannot stall the window.
    static constexpr int MaximumShownLength = 2000;
    // What a hidden password shows, whatever its length.
    static const QString HiddenPassword;

    explicit ShownEntries(EntryListModel *entries, QObject *parent = nullptr);

    // Titles go to the columns left to right, in the order they are added.
    void addColumnTitle(const QString &title);
    int columnTitleCount() const { return static_cast<int>(m_titles.size()); }

    // Shows only the entries holding every word typed; empty text shows them all.
    void setFind(const QString &typed);
    void setPasswordsHidden(bool hidden);
    bool passwordsHidden() const { return m_passwordsHidden; }

    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString shownText(const QModelIndex &index) const;
    bool isHiddenPassword(const QModelIndex &index) const;

    const EntryListModel *m_entries;
    std::vector<QString> m_titles;
    EntryFind m_find{QStringView()};
    bool m_passwordsHidden = false;
};
