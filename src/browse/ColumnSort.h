#pragma once
// How the lists sort by a column when its header is clicked: the browse list and the search
// result list follow the same rule.
//
// The list keeps its sort column (counted from 0), its order (0 ascending, 1 descending) and
// whether sorting is on. A click takes the marker off the sort column's caption, makes the
// clicked header's column the sort column (unless the list cannot sort by it), toggles the order
// on every click, switches sorting on and marks the sort column's caption: "» " ascending,
// "« " descending. So the first click on a column of a list never sorted sorts it descending.
#include <QString>
#include <QStringList>

namespace mendor {

/// Markers in front of the sort column's caption.
inline const QString kAscendingMarker = QStringLiteral("» ");
inline const QString kDescendingMarker = QStringLiteral("« ");

/// The caption without a leading "» " or "« ".
QString CaptionWithoutMarker(const QString& caption);

class ColumnSort {
public:
    int column() const { return column_; }
    int order() const { return order_; }
    bool isOn() const { return on_; }
    bool descending() const { return order_ != 0; }

    /// Sorting on by this column, ascending, as column setup leaves a list.
    void reset(int column);
    /// Sorting off: the rows stay in the order they arrive.
    void turnOff() { on_ = false; }

    /// A click on a header. sortColumn is the column the clicked header sorts by, or -1 when the
    /// list cannot sort by it (the sort column then stays). The captions are updated in place.
    void click(int sortColumn, QStringList& captions);

    /// The caption with the marker of the current order in front.
    QString marked(const QString& caption) const;

private:
    int column_ = 0;
    int order_ = 0;
    bool on_ = false;
};

} // namespace mendor
