#pragma once

#include "EngineFixture.h"
#include "onboarding/Onboarding.h"
#include "platform/NotificationCenter.h"
#include "preferences/Preferences.h"
#include "preferences/XdgAutostartLoginItem.h"

namespace kestrane::testing {

// The engine with the real preferences and introduction that the keyboard and edit mode's
// panel work on, their login item in the test's folder.
class EngineWithPreferences : public EngineFixture {
protected:
    XdgAutostartLoginItem loginItem { "/usr/bin/kestrane", folder.path() };
    NotificationCenter notifications;
    Preferences prefs { defaults, loginItem, notifications, {} };
    Onboarding introduction { defaults };
};

} // namespace kestrane::testing
