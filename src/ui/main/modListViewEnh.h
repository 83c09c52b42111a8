#pragma once

class AppContext;
class EntryList;

// Extensions of the list view: sorting by a clicked column.
namespace modListViewEnh {

// Sorts the list by the column whose header has this 1-based index, flipping the
// order on every call (nothing flips while the list is empty). False when the
// settings could not be applied; with showErrors the failure is also shown in a box.
bool EnhListView_SortColumns(EntryList &list, int columnIndex, bool showErrors,
                             AppContext &context);

} // namespace modListViewEnh
