#pragma once

#include "geometry/Point.h"

#include <algorithm>

namespace kestrane::editLayout {

// Where edit mode's fixed pieces stand on a screen, in points: the panel of settings along
// the left, the round toggles at the bottom corners. The views draw them here, and the
// tests that click them find them here.

constexpr double leadingInset = 76;
constexpr double panelWidth = 344;
constexpr double panelHeaderHeight = 28;
constexpr double panelRowHeight = 56;
constexpr int panelRowCount = 5;
constexpr double panelHeight = panelHeaderHeight + panelRowHeight * panelRowCount;
// The toggles keep clear of a panel along the bottom of the screen.
constexpr double lowestBottomMargin = 24;
constexpr double bottomInsetMargin = 18;
constexpr double prefsToggleRadius = 21;
constexpr double editToggleRadius = 27;
constexpr double editToggleTrailing = 34;

constexpr Rect panelFrame(double screenHeight)
{
    return { leadingInset, (screenHeight - panelHeight) / 2, panelWidth, panelHeight };
}

constexpr Rect panelRow(int index, double screenHeight)
{
    return { leadingInset, panelFrame(screenHeight).y + panelHeaderHeight + panelRowHeight * index, panelWidth, panelRowHeight };
}

// The line the toggles sit on.
constexpr double controlsBottom(double screenHeight, double bottomInset)
{
    return screenHeight - std::max(lowestBottomMargin, bottomInset + bottomInsetMargin);
}

constexpr Point prefsToggleCentre(double screenHeight, double bottomInset)
{
    return { leadingInset + prefsToggleRadius, controlsBottom(screenHeight, bottomInset) - prefsToggleRadius };
}

constexpr Point editToggleCentre(double screenWidth, double screenHeight, double bottomInset)
{
    return { screenWidth - editToggleTrailing - editToggleRadius, controlsBottom(screenHeight, bottomInset) - editToggleRadius };
}

} // namespace kestrane::editLayout
