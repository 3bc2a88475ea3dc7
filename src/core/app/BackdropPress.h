#pragma once

namespace kestrane {

// What a press on edit mode's dimmed desktop closes: the innermost thing open, so that
// presses away from everything step back out of edit mode one level at a time.
enum class BackdropPress { closeDrawer, hidePreferences, leaveEditMode };

constexpr BackdropPress backdropPressFor(bool drawerOpen, bool showingPreferences)
{
    if (drawerOpen)
        return BackdropPress::closeDrawer;
    return showingPreferences ? BackdropPress::hidePreferences : BackdropPress::leaveEditMode;
}

} // namespace kestrane
