// The divider rules and the pane layout as plain arithmetic.
#include "app/PaneGeometry.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

TEST(PaneGeometryTest, DropPositionsClampTheLeftHalf) {
    const struct {
        int dropX;
        int expected;
    } cases[] = {{300, 299}, {30, 60}, {60, 60}, {61, 60}, {940, 940}, {980, 940}, {-40, 60}};
    for (const auto& c : cases)
        EXPECT_EQ(LeftHalfWidthAfterDrag(c.dropX, 1000, kLeftMargin), c.expected) << c.dropX;
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
