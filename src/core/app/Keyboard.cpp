#include "app/Keyboard.h"

#include "engine/BezelEngine.h"
#include "onboarding/Onboarding.h"
#include "preferences/Preferences.h"

#include <algorithm>
#include <cctype>

namespace kestrane {

namespace {
std::string lowerCased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

Keyboard::Keyboard(BezelEngine& engine, Preferences& preferences, Onboarding& introduction, Actions actions)
    : engine_(engine)
    , preferences_(preferences)
    , introduction_(introduction)
    , actions_(std::move(actions))
{
}

bool Keyboard::keyDown(const KeyEvent& event)
{
    if (preferences_.recordShortcut(event))
        return true;
    if (event.keyCode == keyCode::escape) {
        if (introduction_.isRunning()) {
            introduction_.finish();
            return true;
        }
        if (engine_.state().isShowingPreferences) {
            engine_.setShowingPreferences(false);
            return true;
        }
        if (engine_.state().isEditing) {
            engine_.setEditing(false);
            return true;
        }
        if (engine_.state().wantsOpen) {
            engine_.closeDrawer();
            return true;
        }
        return false;
    }
    if ((event.modifierFlags & modifier::super) && lowerCased(event.charactersIgnoringModifiers) == "q") {
        if (actions_.quit)
            actions_.quit();
        return true;
    }
    return false;
}

void Keyboard::modifiersChanged(std::uint64_t flags, double now)
{
    if (doubleTap_.modifiersChanged(flags, now))
        toggleEditMode();
}

void Keyboard::toggleEditMode()
{
    if (engine_.state().isEditing)
        engine_.setEditing(false);
    else if (actions_.openEditMode)
        actions_.openEditMode();
}

} // namespace kestrane
