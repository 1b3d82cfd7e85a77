#pragma once
// The main window's placement: stored in twips (1440 to the inch), shown in pixels converted
// with the screen's logical resolution, and kept reachable on the screens there are now.
#include "shell/Settings.h"

#include <QList>
#include <QRect>

namespace mendor {

inline constexpr int kTwipsPerInch = 1440;

/// The smallest window that a stored placement may ask for; anything smaller is nonsense.
inline constexpr int kMinimumWindowWidth = 200;
inline constexpr int kMinimumWindowHeight = 150;

int TwipsToPixels(int twips, double dotsPerInch);
int PixelsToTwips(int pixels, double dotsPerInch);

/// The placement used when nothing usable is stored: 500 twips smaller than the screen in each
/// direction, centred.
WindowPlacement DefaultPlacement(int screenWidthTwips, int screenHeightTwips);

/// Where the window goes. A placement smaller than the minimum falls back to fallback. A window
/// that shows less than a grip of itself on every screen is moved onto the screen nearest to
/// it, made to fit. The screens are their available areas; the first one is the primary.
QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens, const QRect& fallback);

} // namespace mendor
