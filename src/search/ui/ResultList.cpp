#include "search/ui/ResultList.h"

#include "browse/ui/ItemCommandMenu.h"
#include "browse/ui/ItemListView.h"
#include "search/ui/ResultListModel.h"
#include "shell/ui/MainWindowServices.h"

#include <algorithm>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

namespace mendor {

ResultList::ResultList(MainWindowServices& services, QWidget* parent)
    : QTreeView(parent),
      model_(new ResultListModel([&services](const QString& key) { return services.image(key); },
                                 services.imageKeys(), this)) {
    setModel(model_);
    SetUpItemListView(*this);
    connect(header(), &QHeaderView::sectionClicked, this, &ResultList::ColumnClick);
}

ResultList::~ResultList() = default;

void ResultList::setColumns(const QStringList& captions, const QList<int>& widths) {
    model_->setCaptions(captions);
    for (int column = 0; column < captions.size() && column < widths.size(); ++column)
        header()->resizeSection(column, widths[column]);
}

QString ResultList::headerCaption(int column) const {
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

int ResultList::columnCount() const {
    return model_->columnCount();
}

QList<int> ResultList::liveColumnWidths() const {
    QList<int> widths;
    for (int column = 0; column < columnCount(); ++column)
        widths.append(header()->sectionSize(column));
    return widths;
}

void ResultList::applySort() {
    if (sort_.isOn())
        model_->sortByText(sort_.column(), sort_.descending());
}

void ResultList::ColumnClick(int column) {
    if (column < 0 || column >= columnCount())
        return;
    // The result columns are their own sort columns, in the same order.
    QStringList captions = model_->captions();
    sort_.click(column, captions);
    model_->setCaptions(captions);
    applySort();
}

QList<ResultRow> ResultList::selectedResults() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QList<ResultRow> selected;
    for (const int row : rows)
        selected.append(model_->row(row));
    return selected;
}

void ResultList::enableItemCommand(const QString& command) {
    enabledItemCommands_.insert(command);
    delete itemMenu_;
    itemMenu_ = nullptr;
}

void ResultList::showItemMenu(const QPoint& globalPosition) {
    if (enabledItemCommands_.isEmpty())
        return;
    if (itemMenu_ == nullptr) {
        itemMenu_ = MakeItemCommandMenu(
            QStringLiteral("search"),
            {{QStringLiteral("s_quick_copy"), QStringLiteral("&Quick copy item(s) to your desktop")},
             {QStringLiteral("s_copy_items"), QStringLiteral("&Copy item(s) to a new location")}},
            enabledItemCommands_, this, [this](const QString& command) { emit itemCommand(command); });
    }
    itemMenu_->popup(globalPosition);
}

void ResultList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid())
        emit openRequested(model_->row(index.row()));
}

void ResultList::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        showItemMenu(event->globalPosition().toPoint());
}

} // namespace mendor
