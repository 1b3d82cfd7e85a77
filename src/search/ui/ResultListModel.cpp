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
    const ResultRow row = this->row(index.row());
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
    shared_ = {};
    endResetModel();
}

void ResultListModel::appendRows(QList<ResultRow>& rows) {
    std::vector<QList<ResultRow>> batches;
    batches.push_back(std::move(rows));
    appendRows(batches);
    rows.clear();
}

void ResultListModel::appendRows(std::vector<QList<ResultRow>>& batches) {
    std::size_t count = 0;
    for (const QList<ResultRow>& batch : batches)
        count += std::size_t(batch.size());
    if (count == 0)
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(count) - 1);
    for (QList<ResultRow>& batch : batches) {
        for (ResultRow& row : batch) {
            order_.push_back(int(rows_.size()));
            rows_.push_back({std::move(row.name), row.size, row.created, row.modified, row.accessed, row.id,
                             shared_.share(row.location, SharedTexts::Location),
                             shared_.share(row.volume, SharedTexts::Volume),
                             shared_.share(row.type, SharedTexts::Type),
                             shared_.share(row.attrib, SharedTexts::Attrib),
                             shared_.share(row.description, SharedTexts::Description), row.folder});
        }
    }
    endInsertRows();
    batches.clear();
}

std::uint32_t ResultListModel::SharedTexts::share(const QString& text, Field field) {
    if (text.isNull())
        return 0;
    // The same characters in the same place are the same text.
    RecentText& recent =
        recent_[field][(reinterpret_cast<std::uintptr_t>(text.constData()) / alignof(std::max_align_t)) %
                       kRecentTexts];
    if (text.constData() == recent.text.constData() && text.size() == recent.text.size())
        return recent.number;
    auto found = numbers_.constFind(text);
    if (found == numbers_.cend()) {
        found = numbers_.insert(text, std::uint32_t(texts_.size()));
        texts_.push_back(text);
    }
    recent = {text, found.value()};
    return found.value();
}

ResultRow ResultListModel::rowAsFound(std::size_t arrival) const {
    const StoredRow& stored = rows_[arrival];
    ResultRow row;
    row.folder = stored.folder;
    row.name = stored.name;
    row.size = stored.size;
    row.location = shared_.text(stored.location);
    row.volume = shared_.text(stored.volume);
    row.type = shared_.text(stored.type);
    row.created = stored.created;
    row.modified = stored.modified;
    row.accessed = stored.accessed;
    row.attrib = shared_.text(stored.attrib);
    row.description = shared_.text(stored.description);
    row.id = stored.id;
    return row;
}

QString ResultListModel::iconKey(const ResultRow& row) const {
    if (IsArchiveRow(row.folder, row.name))
        return QStringLiteral("zip_closed");
    if (row.folder)
        return QStringLiteral("closed");
    return FileIconKey(row.name, imageKeys_);
}

QString ResultListModel::sortText(int row, int column) const {
    // The name, the usual sort column, without making the whole row.
    if (column == 0)
        return rows_[std::size_t(order_[std::size_t(row)])].name;
    return ResultText(this->row(row), column);
}

std::vector<int> ResultListModel::readingOrder() const {
    std::vector<int> rows(order_.size());
    for (std::size_t row = 0; row < order_.size(); ++row)
        rows[std::size_t(order_[row])] = int(row);
    return rows;
}

void ResultListModel::reorderRows(const std::vector<int>& order) {
    std::vector<int> arrival(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        arrival[position] = order_[std::size_t(order[position])];
    order_ = std::move(arrival);
}

} // namespace mendor
