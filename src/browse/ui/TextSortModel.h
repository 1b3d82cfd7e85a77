#pragma once
// A table model whose rows can be ordered by the text a column shows: the browse list's and the
// search result list's, which sort alike (browse/ColumnSort.h).
#include <QAbstractTableModel>
#include <vector>

namespace mendor {

class TextSortModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// Orders the rows by the text of a column, compared without regard to case; rows with equal
    /// texts keep their order. Selections and the current row follow their rows.
    void sortByText(int column, bool descending);

protected:
    /// The text a row shows in a column.
    virtual QString sortText(int row, int column) const = 0;
    /// Every row once, in the order their texts are read fastest (where they are kept); the
    /// list's own order unless the model keeps its rows otherwise.
    virtual std::vector<int> readingOrder() const;
    /// Puts the rows in the new order: new row i is old row order[i].
    virtual void reorderRows(const std::vector<int>& order) = 0;
};

} // namespace mendor
