#pragma once
// Where the main window's panes go, in the window's scale unit (the pixel), and how a drag of
// the divider changes the width of the left half. Plain functions, so the rules can be checked
// without a window.
#include <QRect>

namespace mendor {

inline constexpr int kLeftMargin = 1;
inline constexpr int kSearchPaneLeftWidth = 267;
inline constexpr int kMinimumLeftWidth = 60;
inline constexpr int kPageTopOffset = 29;
inline constexpr int kPageLeftOffset = 5;
inline constexpr int kPageNarrowing = 13;
inline constexpr int kSplitterWidth = 3;

struct PaneRects {
    QRect tabStrip;  ///< the left half: the tab strip with its page
    QRect page;      ///< the catalog tree or the search criteria frame, inside the tab strip
    QRect splitter;  ///< the divider bar at the right edge of the tab strip
    QRect rightHalf; ///< the content list, the result list and its cover
};

/// The layout of a client area from top to bottom (exclusive) that is clientWidth wide, with a
/// left half tabStripWidth wide.
PaneRects ComputePaneRects(int clientWidth, int top, int bottom, int tabStripWidth);

/// The Browse pane's left half width after the divider was dropped with its left edge at barLeft
/// in a client area clientWidth wide: between 60 and clientWidth - 60. (The Search pane's left
/// half is always 267 wide.)
int LeftHalfWidthAfterDrag(int barLeft, int clientWidth, int tabStripLeft);

} // namespace mendor
