#pragma once

namespace kestrane {

// Who holds the keyboard: the overlay only while edit mode, an open drawer or the
// introduction needs keys; when they end, the focus goes back to the window that had it.
// Decided once per frame from what the frame saw.
class KeyFocus {
public:
    static constexpr double retryInterval = 0.25;

    enum class Action {
        none,
        // Remember the window that has the focus now, then take it.
        take,
        // Take the focus back without remembering: another window took it meanwhile.
        retake,
        // Give the focus back to the remembered window.
        handBack,
    };

    struct Situation {
        bool editing = false;
        bool drawerOpen = false;
        bool introduction = false;
        bool hasFocus = false;
        double now = 0;
    };

    Action sync(const Situation& situation);

private:
    bool retryDue(double now);

    bool wanted_ = false;
    double lastAttempt_ = -retryInterval;
};

} // namespace kestrane
