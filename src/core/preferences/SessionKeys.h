#pragma once

namespace kestrane::sessionKeys {

// What the desktop session lets the program see of the keyboard, as found at start and
// stored in the settings, so that edit mode offers only the shortcuts that work.

// The X server sends raw key events: a double tap of Control is seen everywhere.
constexpr const char* rawKeyEventsKey = "kestrane.inputMonitoring";
// No program may grab keys (a Wayland session): the shortcut is starting the program
// again, bound to keys in the desktop's own settings.
constexpr const char* launchTogglesKey = "kestrane.launchToggles";
// The desktop portal bound the shortcut for the program: its keys as the desktop names
// them (empty while it has none). Absent where no portal bound it.
constexpr const char* portalTriggerKey = "kestrane.portalTrigger";

} // namespace kestrane::sessionKeys
