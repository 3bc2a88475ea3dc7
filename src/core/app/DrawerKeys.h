#pragma once

#include "preferences/KeyEvent.h"

namespace kestrane {

// What a key does to an open drawer: arrows move the highlight, Return or Enter opens the
// highlighted item, Delete removes it, Control+V pastes the clipboard into the pocket.
enum class DrawerCommand { none, highlightPrevious, highlightNext, openHighlighted, removeHighlighted, paste };

// drawerTakesKeys: a drawer is open, shown and not behind edit mode. Pasting needs only an
// open drawer, which the paste itself checks.
DrawerCommand drawerCommandFor(const KeyEvent& key, bool drawerTakesKeys);

} // namespace kestrane
