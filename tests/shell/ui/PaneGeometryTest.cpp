// The divider rules and the pane layout, as plain arithmetic and through a real drag of the bar.
#include "shell/ui/PaneGeometry.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

TEST(PaneGeometryTest, DropPositionsClampTheLeftHalfBetweenSixtyAndTheRightMargin) {
    constexpr int width = 1000;
    EXPECT_EQ(LeftHalfWidthAfterDrag(300, width, kLeftMargin, false), 299);
    EXPECT_EQ(LeftHalfWidthAfterDrag(30, width, kLeftMargin, false), 60);
    EXPECT_EQ(LeftHalfWidthAfterDrag(60, width, kLeftMargin, false), 60);
    EXPECT_EQ(LeftHalfWidthAfterDrag(61, width, kLeftMargin, false), 60);
    EXPECT_EQ(LeftHalfWidthAfterDrag(width - 60, width, kLeftMargin, false), width - 60);
    EXPECT_EQ(LeftHalfWidthAfterDrag(width - 20, width, kLeftMargin, false), width - 60);
    EXPECT_EQ(LeftHalfWidthAfterDrag(-40, width, kLeftMargin, false), 60);
}

TEST(PaneGeometryTest, TheSearchPaneAlwaysKeepsItsFixedLeftHalf) {
    EXPECT_EQ(LeftHalfWidthAfterDrag(30, 1000, kLeftMargin, true), 267);
    EXPECT_EQ(LeftHalfWidthAfterDrag(500, 1000, kLeftMargin, true), 267);
    EXPECT_EQ(LeftHalfWidthAfterDrag(990, 1000, kLeftMargin, true), 267);
}

TEST(PaneGeometryTest, PanesSitInsideTheTabStripAndBesideTheDivider) {
    const PaneRects rects = ComputePaneRects(800, 10, 510, 300);
    EXPECT_EQ(rects.tabStrip, QRect(1, 10, 300, 500));
    EXPECT_EQ(rects.page.topLeft(), QPoint(6, 39));
    EXPECT_EQ(rects.page.width(), 287);
    EXPECT_EQ(rects.splitter, QRect(300, 10, 3, 500));
    EXPECT_EQ(rects.rightHalf.left(), 303);
    EXPECT_EQ(rects.rightHalf.right(), 799);
    EXPECT_EQ(rects.rightHalf.height(), 500);

    // A window too small for its panes gives empty rectangles, never negative ones.
    const PaneRects tiny = ComputePaneRects(40, 0, 10, 60);
    EXPECT_GE(tiny.page.height(), 0);
    EXPECT_GE(tiny.rightHalf.width(), 0);
}

} // namespace
} // namespace mendor
