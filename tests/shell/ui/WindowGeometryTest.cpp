// Placement conversions and how a stored placement is kept on the screens there are.
#include "shell/ui/WindowGeometry.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

TEST(WindowGeometryTest, TwipsConvertWithTheLogicalResolution) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(1440, 192), 192);
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(PixelsToTwips(96, 96), 1440);
    EXPECT_EQ(PixelsToTwips(1920, 144), 19200);
    for (int pixels : {0, 1, 333, 1279, 4096})
        EXPECT_EQ(TwipsToPixels(PixelsToTwips(pixels, 120), 120), pixels);
}

TEST(WindowGeometryTest, DefaultPlacementIsCentredAndSmallerThanTheScreen) {
    const WindowPlacement placement = DefaultPlacement(19200, 12000);
    EXPECT_EQ(placement.width, 18700);
    EXPECT_EQ(placement.height, 11500);
    EXPECT_EQ(placement.left, 250);
    EXPECT_EQ(placement.top, 250);
}

TEST(WindowGeometryTest, AWindowOnAScreenStaysWhereItWas) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    const QRect fallback(10, 10, 600, 400);
    EXPECT_EQ(PlaceOnScreens(QRect(100, 50, 800, 600), screens, fallback), QRect(100, 50, 800, 600));
    // Mostly off the first screen but well inside the second one.
    EXPECT_EQ(PlaceOnScreens(QRect(1500, 100, 800, 600), screens, fallback), QRect(1500, 100, 800, 600));
}

TEST(WindowGeometryTest, AWindowOffEveryScreenIsPulledOntoTheNearestOne) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    const QRect fallback(10, 10, 600, 400);

    const QRect farRight = PlaceOnScreens(QRect(9000, 200, 800, 600), screens, fallback);
    EXPECT_TRUE(QRect(1280, 0, 1920, 1080).contains(farRight));
    EXPECT_EQ(farRight.size(), QSize(800, 600));

    const QRect aboveLeft = PlaceOnScreens(QRect(-3000, -2000, 800, 600), screens, fallback);
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(aboveLeft));

    // Only a sliver shows: not enough to grab the window.
    const QRect sliver = PlaceOnScreens(QRect(1270, 790, 800, 600), {QRect(0, 0, 1280, 800)}, fallback);
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(sliver));

    // A window bigger than the screen it is pulled onto is made to fit.
    const QRect huge = PlaceOnScreens(QRect(5000, 5000, 4000, 3000), {QRect(0, 0, 1280, 800)}, fallback);
    EXPECT_EQ(huge, QRect(0, 0, 1280, 800));
}

TEST(WindowGeometryTest, NonsenseSizesFallBackToTheDefault) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 800)};
    const QRect fallback(40, 30, 1200, 740);
    EXPECT_EQ(PlaceOnScreens(QRect(100, 100, 0, 0), screens, fallback), fallback);
    EXPECT_EQ(PlaceOnScreens(QRect(100, 100, -500, 400), screens, fallback), fallback);
    EXPECT_EQ(PlaceOnScreens(QRect(100, 100, 800, 3), screens, fallback), fallback);
    EXPECT_EQ(PlaceOnScreens(QRect(100, 100, 800, 600), {}, fallback), QRect(100, 100, 800, 600));
}

} // namespace
} // namespace mendor
