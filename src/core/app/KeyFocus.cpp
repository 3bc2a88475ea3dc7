#include "app/KeyFocus.h"

namespace kestrane {

KeyFocus::Action KeyFocus::sync(const Situation& situation)
{
    const bool wanted = situation.editing || situation.drawerOpen || situation.introduction;
    if (wanted != wanted_) {
        wanted_ = wanted;
        lastAttempt_ = situation.now;
        return wanted ? Action::take : Action::handBack;
    }
    if (situation.hasFocus == wanted || !retryDue(situation.now))
        return Action::none;
    // What needs keys insists on them (names, Escape, the drawer's arrows), even against a
    // window that maps meanwhile; a focus that reached the overlay anyway (a click, a drag)
    // is returned at once.
    return wanted ? Action::retake : Action::handBack;
}

bool KeyFocus::retryDue(double now)
{
    if (now - lastAttempt_ <= retryInterval)
        return false;
    lastAttempt_ = now;
    return true;
}

} // namespace kestrane
