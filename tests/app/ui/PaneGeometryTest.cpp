// The divider rules and the pane layout as plain arithmetic.
#include "app/PaneGeometry.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

TEST(PaneGeometryTest, DropPositionsClampTheLeftHalfAndTheSearchPaneKeepsItsOwn) {
    const struct {
        int dropX;
        bool searchPane;
        int expected;
    } cases[] = {{300, false, 299}, {30, false, 60},  {60, false, 60}, {61, false, 60},  {940, false, 940},
                 {980, false, 940}, {-40, false, 60}, {30, true, 267}, {500, true, 267}, {990, true, 267}};
    for (const auto& c : cases)
        EXPECT_EQ(LeftHalfWidthAfterDrag(c.dropX, 1000, kLeftMargin, c.searchPane), c.expected)
            << c.dropX << (c.searchPane ? " search" : "");
}

TEST(PaneGeometryTest, PanesSitInsideTheTabStripAndBesideTheDivider) {
    const PaneRects rects = ComputePaneRects(800, 10, 510, 300);
    EXPECT_EQ(rects.tabStrip, QRect(1, 10, 300, 500));
    EXPECT_EQ(rects.page.topLeft(), QPoint(6, 39));
    EXPECT_EQ(rects.page.width(), 287);
    EXPECT_EQ(rects.splitter, QRect(300, 10, 3, 500));
    EXPECT_EQ(rects.rightHalf, QRect(QPoint(303, rects.rightHalf.top()), QSize(497, 500)));

    // A window too small for its panes gives empty rectangles, never negative ones.
    const PaneRects tiny = ComputePaneRects(40, 0, 10, 60);
    EXPECT_GE(tiny.page.height(), 0);
    EXPECT_GE(tiny.rightHalf.width(), 0);
}

} // namespace
} // namespace mendor
