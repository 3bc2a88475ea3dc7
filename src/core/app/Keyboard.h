#pragma once

#include "app/ControlDoubleTap.h"
#include "preferences/KeyEvent.h"

#include <functional>

namespace kestrane {

class BezelEngine;
class Onboarding;
class Preferences;

// The keys the program handles itself: the shortcut recorder first, then Escape (which
// closes the innermost open thing), the quit key, and the double tap of Control that
// toggles edit mode.
class Keyboard {
public:
    struct Actions {
        std::function<void()> openEditMode;
        std::function<void()> quit;
    };

    Keyboard(BezelEngine& engine, Preferences& preferences, Onboarding& introduction, Actions actions);

    // True when the key was used and must go no further.
    bool keyDown(const KeyEvent& event);
    // The modifier flags held or locked are now these, at this many seconds of uptime.
    void modifiersChanged(std::uint64_t flags, double now);
    // A key other than Control, or a mouse button, went down anywhere.
    void otherInputPressed() { doubleTap_.otherInputPressed(); }
    // Leaves edit mode when it is on, enters it otherwise.
    void toggleEditMode();

private:
    BezelEngine& engine_;
    Preferences& preferences_;
    Onboarding& introduction_;
    Actions actions_;
    ControlDoubleTap doubleTap_;
};

} // namespace kestrane
