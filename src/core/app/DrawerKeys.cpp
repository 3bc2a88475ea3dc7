#include "app/DrawerKeys.h"

namespace kestrane {

DrawerCommand drawerCommandFor(const KeyEvent& key, bool drawerTakesKeys)
{
    const std::uint64_t held = key.modifierFlags & modifier::shortcutFlags;
    if (key.keyCode == keyCode::v && held == modifier::control)
        return DrawerCommand::paste;
    if (!drawerTakesKeys)
        return DrawerCommand::none;
    switch (key.keyCode) {
    case keyCode::upArrow:
        return DrawerCommand::highlightPrevious;
    case keyCode::downArrow:
        return DrawerCommand::highlightNext;
    case keyCode::returnKey:
    case keyCode::keypadEnter:
        return DrawerCommand::openHighlighted;
    case keyCode::forwardDelete:
        return DrawerCommand::removeHighlighted;
    default:
        return DrawerCommand::none;
    }
}

} // namespace kestrane
