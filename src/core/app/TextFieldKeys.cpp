#include "app/TextField.h"

#include "preferences/KeyEvent.h"

#include <algorithm>
#include <array>

namespace kestrane {

std::optional<TextField::Command> textFieldCommand(std::uint16_t keyCode, std::uint64_t modifierFlags)
{
    using enum TextField::Command;
    struct Binding {
        std::uint16_t keyCode;
        std::uint64_t modifiers;
        TextField::Command command;
    };
    constexpr std::uint64_t shift = modifier::shift;
    constexpr std::uint64_t control = modifier::control;
    constexpr std::array<Binding, 22> bindings { {
        { keyCode::leftArrow, 0, moveLeft },
        { keyCode::leftArrow, shift, selectLeft },
        { keyCode::leftArrow, control, moveWordLeft },
        { keyCode::leftArrow, control | shift, selectWordLeft },
        { keyCode::rightArrow, 0, moveRight },
        { keyCode::rightArrow, shift, selectRight },
        { keyCode::rightArrow, control, moveWordRight },
        { keyCode::rightArrow, control | shift, selectWordRight },
        { keyCode::home, 0, moveHome },
        { keyCode::home, shift, selectHome },
        { keyCode::home, control, moveHome },
        { keyCode::home, control | shift, selectHome },
        { keyCode::end, 0, moveEnd },
        { keyCode::end, shift, selectEnd },
        { keyCode::end, control, moveEnd },
        { keyCode::end, control | shift, selectEnd },
        { keyCode::backspace, 0, deleteBackward },
        { keyCode::backspace, shift, deleteBackward },
        { keyCode::backspace, control, deleteWordBackward },
        { keyCode::forwardDelete, 0, deleteForward },
        { keyCode::forwardDelete, control, deleteWordForward },
        { keyCode::a, control, selectAll },
    } };
    // Caps Lock changes no command; Alt and Super keep their keys for shortcuts, and
    // Shift+Delete stays free for cutting, as Linux line edits do.
    const std::uint64_t held = modifierFlags & modifier::shortcutFlags;
    const auto found = std::find_if(
        bindings.begin(), bindings.end(), [&](const Binding& binding) { return binding.keyCode == keyCode && binding.modifiers == held; });
    return found != bindings.end() ? std::optional(found->command) : std::nullopt;
}

} // namespace kestrane
