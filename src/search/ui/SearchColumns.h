#pragma once
// The column headers of the search result list and of its blank cover. Each header carries its
// caption and, under kHeaderKeyRole, the key by which column sorting finds it.
#include <QList>
#include <QString>
#include <Qt>

class QTreeWidget;

namespace mendor {

inline constexpr int kHeaderKeyRole = Qt::UserRole;

struct ResultColumn {
    QString caption;
    QString key;
};

/// The ten search result columns in their order.
const QList<ResultColumn>& SearchResultColumns();

/// Sets up the result list: the ten columns with the widths of gSearchColumnWidths (negative
/// widths there and in gColumnWidths become 100 first), sorted by the first column ascending
/// with its caption marked "» ".
void SetSearchColumns(QTreeWidget& searchView);

/// Gives the cover the same ten columns, unsorted, the first captioned "» Name", so that it looks
/// like an empty result list.
void SetCoverColumns(QTreeWidget& hider);

/// The live widths of the columns of a list, first column first.
QList<double> LiveColumnWidths(const QTreeWidget& list);

} // namespace mendor
