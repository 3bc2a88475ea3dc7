#pragma once

namespace kestrane {

// The six rows of the preferences panel; the values index the engine's per-row springs.
enum class PrefRow { openAtLogin = 0, shortcut = 1, haptics = 2, blur = 3, intro = 4, quit = 5 };
constexpr int prefRowCount = 6;

} // namespace kestrane
