#include "preferences/Haptics.h"

#include "platform/Clock.h"
#include "preferences/Preferences.h"

namespace kestrane {

Haptics::Haptics(const Preferences& preferences, const Clock& uptime, HapticSink& sink)
    : preferences_(preferences)
    , uptime_(uptime)
    , sink_(sink)
{
}

void Haptics::perform(HapticPattern pattern)
{
    if (!preferences_.hapticsEnabled())
        return;
    const double now = uptime_.now();
    if (lastFire_ && now - *lastFire_ < minimumInterval)
        return;
    lastFire_ = now;
    sink_.play(pattern);
}

} // namespace kestrane
