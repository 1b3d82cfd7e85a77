#include "search/ui/SearchColumns.h"

#include "shell/Options.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace mendor {

namespace {

const QString kAscendingMarker = QStringLiteral("\u00BB ");
const QString kDescendingMarker = QStringLiteral("\u00AB ");
constexpr int kResultColumnCount = 10;
constexpr std::int16_t kUnsetWidthReplacement = 100;

void replaceUnsetWidths() {
    for (int column = 1; column <= 11; ++column) {
        if (gSearchColumnWidths[column] < 0)
            gSearchColumnWidths[column] = kUnsetWidthReplacement;
    }
    for (int mode = 1; mode <= 4; ++mode) {
        for (int column = 1; column <= 10; ++column) {
            if (gColumnWidths[mode][column] < 0)
                gColumnWidths[mode][column] = kUnsetWidthReplacement;
        }
    }
}

// Replaces every header of the list by the ten result columns with their stored widths.
void putResultColumns(QTreeWidget& list) {
    list.clear();
    list.setColumnCount(kResultColumnCount);
    QTreeWidgetItem* header = list.headerItem();
    const QList<ResultColumn>& columns = SearchResultColumns();
    for (int column = 0; column < kResultColumnCount; ++column) {
        header->setText(column, columns[column].caption);
        header->setData(column, kHeaderKeyRole, columns[column].key);
        list.setColumnWidth(column, gSearchColumnWidths[column + 1]);
    }
}

} // namespace

const QList<ResultColumn>& SearchResultColumns() {
    static const QList<ResultColumn> columns = {
        {QStringLiteral("Name"), QStringLiteral("filename")},
        {QStringLiteral("Size"), QStringLiteral("size")},
        {QStringLiteral("Location"), QStringLiteral("location")},
        {QStringLiteral("Volume"), QStringLiteral("volume")},
        {QStringLiteral("Type"), QStringLiteral("type")},
        {QStringLiteral("Created"), QStringLiteral("created")},
        {QStringLiteral("Modified"), QStringLiteral("modified")},
        {QStringLiteral("Last Accessed"), QStringLiteral("accessed")},
        {QStringLiteral("Attributes"), QStringLiteral("attributes")},
        {QStringLiteral("Description or Path (in a ZIP)"), QStringLiteral("description")},
    };
    return columns;
}

void SetSearchColumns(QTreeWidget& searchView) {
    replaceUnsetWidths();
    putResultColumns(searchView);
    searchView.setSortingEnabled(true);
    searchView.sortByColumn(0, Qt::AscendingOrder);
    // The direction is shown in the caption, not by the header's own arrow.
    searchView.header()->setSortIndicatorShown(false);
    const int sortColumn = searchView.sortColumn();
    const QString marker = searchView.header()->sortIndicatorOrder() == Qt::AscendingOrder
                               ? kAscendingMarker
                               : kDescendingMarker;
    QTreeWidgetItem* header = searchView.headerItem();
    header->setText(sortColumn, marker + header->text(sortColumn));
}

void SetCoverColumns(QTreeWidget& hider) {
    hider.setSortingEnabled(false);
    putResultColumns(hider);
    hider.headerItem()->setText(0, kAscendingMarker + SearchResultColumns().front().caption);
}

QList<double> LiveColumnWidths(const QTreeWidget& list) {
    QList<double> widths;
    for (int column = 0; column < list.columnCount(); ++column)
        widths.append(list.columnWidth(column));
    return widths;
}

} // namespace mendor
