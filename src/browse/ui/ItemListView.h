#pragma once
// The look and behaviour shared by the lists of items (the browse list and the search results):
// flat rows of whole-row selection, several at a time, not editable, sorted by the program on a
// header click rather than by the view.
#include <QTreeView>

namespace mendor {

void SetUpItemListView(QTreeView& view);

} // namespace mendor
