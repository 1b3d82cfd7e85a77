#include "browse/ColumnSort.h"

namespace mendor {

QString CaptionWithoutMarker(const QString& caption) {
    if (caption.startsWith(kAscendingMarker.front()) || caption.startsWith(kDescendingMarker.front()))
        return caption.mid(2);
    return caption;
}

void ColumnSort::reset(int column) {
    column_ = column;
    order_ = 0;
    on_ = true;
}

void ColumnSort::click(int sortColumn, QStringList& captions) {
    if (column_ >= 0 && column_ < captions.size())
        captions[column_] = CaptionWithoutMarker(captions[column_]);
    if (sortColumn >= 0)
        column_ = sortColumn;
    order_ = order_ == 0 ? 1 : 0;
    on_ = true;
    if (column_ >= 0 && column_ < captions.size())
        captions[column_] = marked(captions[column_]);
}

QString ColumnSort::marked(const QString& caption) const {
    return (order_ == 0 ? kAscendingMarker : kDescendingMarker) + caption;
}

} // namespace mendor
