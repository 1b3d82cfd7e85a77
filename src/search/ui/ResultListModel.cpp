#include "search/ui/ResultListModel.h"

#include "shell/TextFormats.h"

namespace mendor {

ResultListModel::ResultListModel(std::function<QIcon(const QString&)> iconFor, QSet<QString> imageKeys,
                                 QObject* parent)
    : TextSortModel(parent), iconFor_(std::move(iconFor)), imageKeys_(std::move(imageKeys)) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= rows_.size())
        return {};
    const ResultRow& row = this->row(index.row());
    if (role == Qt::DisplayRole)
        return ResultText(row, index.column());
    if (role == Qt::DecorationRole && index.column() == 0) {
        const QString key = iconKey(row);
        auto found = icons_.find(key);
        if (found == icons_.end())
            found = icons_.insert(key, iconFor_(key));
        return found.value();
    }
    return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= captions_.size())
        return {};
    return captions_.at(section);
}

void ResultListModel::setCaptions(const QStringList& captions) {
    if (captions.size() != captions_.size()) {
        beginResetModel();
        captions_ = captions;
        endResetModel();
        return;
    }
    captions_ = captions;
    if (!captions_.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, int(captions_.size()) - 1);
}

void ResultListModel::clearRows() {
    if (rows_.empty())
        return;
    beginResetModel();
    rows_ = {};
    order_ = {};
    endResetModel();
}

void ResultListModel::appendRows(QList<ResultRow>& rows) {
    if (rows.isEmpty())
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (ResultRow& row : rows) {
        order_.push_back(int(rows_.size()));
        rows_.push_back(std::move(row));
    }
    endInsertRows();
    rows.clear();
}

QString ResultListModel::iconKey(const ResultRow& row) const {
    if (IsArchiveRow(row.folder, row.name))
        return QStringLiteral("zip_closed");
    if (row.folder)
        return QStringLiteral("closed");
    return FileIconKey(row.name, imageKeys_);
}

QString ResultListModel::sortText(int row, int column) const {
    return ResultText(this->row(row), column);
}

void ResultListModel::reorderRows(const std::vector<int>& order) {
    std::vector<int> arrival(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        arrival[position] = order_[std::size_t(order[position])];
    order_ = std::move(arrival);
}

} // namespace mendor
