#include "browse/ui/ContentListModel.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace mendor {

ContentListModel::ContentListModel(std::function<QIcon(const QString&)> iconFor, QObject* parent)
    : QAbstractTableModel(parent), iconFor_(std::move(iconFor)) {}

int ContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ContentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ContentListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_.at(index.row());
    if (role == Qt::DisplayRole)
        return index.column() < row.texts.size() ? row.texts.at(index.column()) : QString();
    if (role == Qt::DecorationRole && index.column() == 0)
        return icon(row.iconKey);
    return {};
}

QVariant ContentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size())
        return {};
    return columns_.at(section).caption;
}

const QIcon& ContentListModel::icon(const QString& key) const {
    auto found = icons_.find(key);
    if (found == icons_.end())
        found = icons_.insert(key, iconFor_(key));
    return found.value();
}

void ContentListModel::setColumns(const QList<ListColumn>& columns) {
    beginResetModel();
    rows_.clear();
    columns_ = columns;
    endResetModel();
}

void ContentListModel::setCaption(int column, const QString& caption) {
    if (column < 0 || column >= columns_.size())
        return;
    columns_[column].caption = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ContentListModel::clearRows() {
    if (rows_.isEmpty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ContentListModel::appendRows(QList<Row> rows) {
    if (rows.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(rows_.size()), int(rows_.size() + rows.size() - 1));
    rows_.append(std::move(rows));
    endInsertRows();
}

void ContentListModel::sortByText(int column, bool descending) {
    if (rows_.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    const auto textOf = [&](int row) -> const QString& {
        static const QString empty;
        const QStringList& texts = rows_.at(row).texts;
        return column < texts.size() ? texts.at(column) : empty;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive);
        return descending ? c > 0 : c < 0;
    });

    std::vector<int> newPosition(rows_.size());
    QList<Row> sorted;
    sorted.reserve(rows_.size());
    for (int position = 0; position < int(order.size()); ++position) {
        newPosition[order[position]] = position;
        sorted.append(std::move(rows_[order[position]]));
    }
    rows_ = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[index.row()], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace mendor
