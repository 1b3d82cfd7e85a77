// The search criteria frame: what a taller or shorter frame does to its designed layout.
#include "search/ui/SearchPane.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace mendor {
namespace {

TEST(SearchPaneTest, ATallerFrameGrowsTheVolumeChooserAndMovesOnlyTheButtonsDown) {
    SearchPane pane;
    pane.show();
    const int designedHeight = pane.twipsToPixelsY(SearchPane::kDesignedHeightTwips);
    const int chooserHeight = pane.twipsToPixelsY(SearchPane::kVolumeChooserHeightTwips);

    pane.resize(254, designedHeight);
    const QRect nameAtDesign = pane.namePattern()->geometry();
    const QRect kindsAtDesign = pane.searchFiles()->geometry();
    const QRect startAtDesign = pane.startButton()->geometry();
    EXPECT_NEAR(pane.volumeChooser()->height(), chooserHeight, 1);
    EXPECT_LE(startAtDesign.bottom(), designedHeight);
    EXPECT_GT(startAtDesign.top(), pane.volumeChooser()->geometry().bottom());

    // Smaller than designed: everything keeps its place.
    pane.resize(254, designedHeight / 2);
    EXPECT_NEAR(pane.volumeChooser()->height(), chooserHeight, 1);
    EXPECT_EQ(pane.startButton()->geometry(), startAtDesign);

    pane.resize(254, designedHeight + 300);
    EXPECT_NEAR(pane.volumeChooser()->height(), chooserHeight + 300, 2);
    EXPECT_NEAR(pane.startButton()->y(), startAtDesign.y() + 300, 2);
    EXPECT_EQ(pane.duplicatesButton()->y(), pane.startButton()->y());
    EXPECT_EQ(pane.namePattern()->geometry(), nameAtDesign);
    EXPECT_EQ(pane.searchFiles()->geometry(), kindsAtDesign);
}

} // namespace
} // namespace mendor
