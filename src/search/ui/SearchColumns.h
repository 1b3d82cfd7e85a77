#pragma once
// The column headers of the search result list and of its blank cover.
#include <QList>
#include <QStringList>

namespace mendor {

class ResultList;

/// The captions of the ten search result columns, in their order. Each column sorts by itself.
QStringList SearchResultCaptions();

/// Sets up the result list: the ten columns with the widths of gSearchColumnWidths (negative
/// widths there and in gColumnWidths become 100 first), sorted by the first column ascending
/// with its caption marked "» ".
void SetSearchColumns(ResultList& searchView);

/// Gives the cover the same ten columns, unsorted, the first captioned "» Name", so that it looks
/// like an empty result list.
void SetCoverColumns(ResultList& hider);

/// The live widths of the columns of a list, first column first.
QList<double> LiveColumnWidths(const ResultList& list);

} // namespace mendor
