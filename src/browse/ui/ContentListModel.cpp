#include "browse/ui/ContentListModel.h"

namespace mendor {

ContentListModel::ContentListModel(std::function<QIcon(const QString&)> iconFor, QObject* parent)
    : TextSortModel(parent), iconFor_(std::move(iconFor)) {}

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

QStringList ContentListModel::captions() const {
    QStringList captions;
    for (const ListColumn& column : columns_)
        captions.append(column.caption);
    return captions;
}

void ContentListModel::setCaptions(const QStringList& captions) {
    for (int column = 0; column < captions.size() && column < columns_.size(); ++column)
        columns_[column].caption = captions[column];
    if (!columns_.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
}

QString ContentListModel::sortText(int row, int column) const {
    const QStringList& texts = rows_.at(row).texts;
    return column < texts.size() ? texts.at(column) : QString();
}

void ContentListModel::reorderRows(const std::vector<int>& order) {
    QList<Row> sorted;
    sorted.reserve(rows_.size());
    for (const int from : order)
        sorted.append(std::move(rows_[from]));
    rows_ = std::move(sorted);
}

} // namespace mendor
