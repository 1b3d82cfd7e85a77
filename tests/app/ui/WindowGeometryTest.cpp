// Placement conversions and how a stored placement is kept on the screens there are.
#include "app/WindowGeometry.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

TEST(WindowGeometryTest, TwipsConvertWithTheLogicalResolution) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(1440, 192), 192);
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(PixelsToTwips(1920, 144), 19200);
    for (int pixels : {0, 1, 333, 1279, 4096})
        EXPECT_EQ(TwipsToPixels(PixelsToTwips(pixels, 120), 120), pixels);
}

TEST(WindowGeometryTest, AWindowIsKeptOnTheScreensOrPulledOntoTheNearestOne) {
    const QRect left(0, 0, 1280, 800);
    const QRect right(1280, 0, 1920, 1080);
    const QRect fallback(40, 30, 1200, 740);
    const struct {
        QRect stored;
        QList<QRect> screens;
        QRect expected; ///< empty: the result must lie inside within at the stored size
        QRect within;
    } cases[] = {{{100, 50, 800, 600}, {left, right}, {100, 50, 800, 600}, {}},
                 // Mostly off the first screen but well inside the second one.
                 {{1500, 100, 800, 600}, {left, right}, {1500, 100, 800, 600}, {}},
                 {{9000, 200, 800, 600}, {left, right}, {}, right},
                 {{-3000, -2000, 800, 600}, {left, right}, {}, left},
                 // Only a sliver shows: not enough to grab the window.
                 {{1270, 790, 800, 600}, {left}, {}, left},
                 // A window bigger than the screen it is pulled onto is made to fit.
                 {{5000, 5000, 4000, 3000}, {left}, left, {}},
                 // Nonsense sizes take the default; without screens nothing is moved.
                 {{100, 100, 0, 0}, {left}, fallback, {}},
                 {{100, 100, -500, 400}, {left}, fallback, {}},
                 {{100, 100, 800, 3}, {left}, fallback, {}},
                 {{100, 100, 800, 600}, {}, {100, 100, 800, 600}, {}}};
    for (const auto& c : cases) {
        const QRect placed = PlaceOnScreens(c.stored, c.screens, fallback);
        SCOPED_TRACE(testing::Message() << c.stored.x() << ',' << c.stored.y() << ' ' << c.stored.width()
                                        << 'x' << c.stored.height());
        if (c.within.isEmpty()) {
            EXPECT_EQ(placed, c.expected);
        } else {
            EXPECT_TRUE(c.within.contains(placed));
            EXPECT_EQ(placed.size(), c.stored.size());
        }
    }
}

} // namespace
} // namespace mendor
