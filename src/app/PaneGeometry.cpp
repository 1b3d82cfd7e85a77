#include "app/PaneGeometry.h"

#include <algorithm>

namespace mendor {

PaneRects ComputePaneRects(int clientWidth, int top, int bottom, int tabStripWidth) {
    const int height = std::max(0, bottom - top);
    PaneRects rects;
    rects.tabStrip = QRect(kLeftMargin, top, tabStripWidth, height);
    rects.page = QRect(kLeftMargin + kPageLeftOffset, top + kPageTopOffset,
                       std::max(0, tabStripWidth - kPageNarrowing),
                       std::max(0, height - kPageTopOffset - kPageLeftOffset));
    // The bar's left edge stands one unit inside the tab strip.
    const int splitterLeft = kLeftMargin + tabStripWidth - 1;
    rects.splitter = QRect(splitterLeft, top, kSplitterWidth, height);
    const int rightLeft = splitterLeft + kSplitterWidth;
    rects.rightHalf = QRect(rightLeft, top, std::max(0, clientWidth - rightLeft), height);
    return rects;
}

int LeftHalfWidthAfterDrag(int barLeft, int clientWidth, int tabStripLeft) {
    if (barLeft > kMinimumLeftWidth && barLeft < clientWidth - kMinimumLeftWidth)
        return barLeft - tabStripLeft;
    if (barLeft <= kMinimumLeftWidth)
        return kMinimumLeftWidth;
    return clientWidth - kMinimumLeftWidth;
}

} // namespace mendor
