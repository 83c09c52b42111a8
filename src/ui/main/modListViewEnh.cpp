#include "ui/main/modListViewEnh.h"

#include "ui/base/AppContext.h"
#include "ui/main/EntryList.h"

namespace modListViewEnh {

namespace {

// What the list view raises for a header index it does not have.
struct ListViewError {
    int number;
    QString description;
};

const ListViewError IndexOutOfBounds{35600, QStringLiteral("Index out of bounds")};

void showError(const ListViewError &error, AppContext &context)
{
    context.MsgBox(QStringLiteral("Error") + QString::number(error.number) + QLatin1Char('\t')
                           + error.description,
                   platform::MsgButtons::Ok,
                   QStringLiteral("Error in Function : EnhListView_SortColumns"),
                   platform::MsgIcon::Information);
}

int flipped(int order)
{
    return order == EntryListModel::Ascending ? EntryListModel::Descending
                                              : EntryListModel::Ascending;
}

} // namespace

bool EnhListView_SortColumns(EntryList &list, int columnIndex, bool showErrors,
                             AppContext &context)
{
    if (list.count() == 0)
        return true;
    if (columnIndex < 1 || columnIndex > list.columnHeaderCount()) {
        // The sorted flag was already switched on when the header lookup failed.
        list.setSorted(true);
        if (showErrors)
            showError(IndexOutOfBounds, context);
        return false;
    }
    // All three settings at once, so the rows are reordered a single time.
    list.setSortSettings(true, columnIndex - 1, flipped(list.SortOrder()));
    return true;
}

} // namespace modListViewEnh
