#include "app/WindowGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <QPoint>

namespace mendor {

namespace {

// How much of a window must show on some screen for the user to grab and move it.
constexpr int kGripWidth = 48;
constexpr int kGripHeight = 24;

bool showsGrip(const QRect& window, const QRect& screen) {
    const QRect visible = window.intersected(screen);
    return visible.width() >= kGripWidth && visible.height() >= kGripHeight;
}

QRect fitInto(QRect window, const QRect& screen) {
    window.setWidth(std::min(window.width(), screen.width()));
    window.setHeight(std::min(window.height(), screen.height()));
    const int left = std::clamp(window.left(), screen.left(), screen.right() + 1 - window.width());
    const int top = std::clamp(window.top(), screen.top(), screen.bottom() + 1 - window.height());
    window.moveTo(left, top);
    return window;
}

} // namespace

int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

int PixelsToTwips(int pixels, double dotsPerInch) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dotsPerInch));
}

WindowPlacement DefaultPlacement(int screenWidthTwips, int screenHeightTwips) {
    WindowPlacement placement;
    placement.width = screenWidthTwips - 500;
    placement.height = screenHeightTwips - 500;
    placement.left = (screenWidthTwips - placement.width) / 2;
    placement.top = (screenHeightTwips - placement.height) / 2;
    return placement;
}

QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens, const QRect& fallback) {
    QRect window = wanted;
    if (window.width() < kMinimumWindowWidth || window.height() < kMinimumWindowHeight)
        window = fallback;
    if (screens.isEmpty())
        return window;
    for (const QRect& screen : screens) {
        if (showsGrip(window, screen))
            return window;
    }
    const QRect* nearest = &screens.front();
    double nearestDistance = std::numeric_limits<double>::max();
    for (const QRect& screen : screens) {
        const QPoint offset = screen.center() - window.center();
        const double distance = std::hypot(offset.x(), offset.y());
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &screen;
        }
    }
    return fitInto(window, *nearest);
}

} // namespace mendor
