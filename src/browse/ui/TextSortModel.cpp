#include "browse/ui/TextSortModel.h"

#include <algorithm>
#include <numeric>

namespace mendor {

void TextSortModel::sortByText(int column, bool descending) {
    const int count = rowCount();
    if (count < 2)
        return;
    const auto size = static_cast<std::size_t>(count);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // Each text is made and case-folded once, not once per comparison: a million rows take some
    // 20 million comparisons, which then compare plain characters.
    std::vector<QString> texts(size);
    for (int row = 0; row < count; ++row)
        texts[std::size_t(row)] = sortText(row, column).toCaseFolded();
    std::vector<int> order(size);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = QString::compare(texts[std::size_t(a)], texts[std::size_t(b)], Qt::CaseSensitive);
        return descending ? c > 0 : c < 0;
    });
    texts = {};

    std::vector<int> newPosition(size);
    for (int position = 0; position < count; ++position)
        newPosition[std::size_t(order[std::size_t(position)])] = position;
    reorderRows(order);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[std::size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace mendor
