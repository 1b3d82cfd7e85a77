// The search criteria frame: its designed layout and what a taller frame does to it.
#include "shell/ui/SearchPane.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

TEST(SearchPaneTest, StartsWithBothKindsCheckedModifiedChosenAndTheThreeComparisons) {
    SearchPane pane;
    EXPECT_TRUE(pane.searchFolders()->isChecked());
    EXPECT_TRUE(pane.searchFiles()->isChecked());
    EXPECT_TRUE(pane.dateField(1)->isChecked());
    pane.dateField(2)->setChecked(true);
    EXPECT_FALSE(pane.dateField(1)->isChecked());
    ASSERT_EQ(pane.sizeComparison()->count(), 3);
    EXPECT_EQ(pane.sizeComparison()->itemText(0), QStringLiteral("is larger than"));
    EXPECT_EQ(pane.sizeComparison()->itemText(2), QStringLiteral("is equal to"));
    EXPECT_EQ(pane.startButton()->text(), QStringLiteral("Start Search"));
}

} // namespace
} // namespace mendor
