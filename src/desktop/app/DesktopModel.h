#pragma once

#include "engine/BezelEngine.h"
#include "onboarding/Onboarding.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "pockets/PocketStore.h"
#include "preferences/Haptics.h"
#include "preferences/Preferences.h"
#include "preferences/XdgAutostartLoginItem.h"
#include "services/QtMainQueue.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace kestrane {

// The program's shared objects, built once with their services and handed out by
// reference: settings, pockets, preferences, haptics, the introduction and the engine.
class DesktopModel {
public:
    DesktopModel(EngineTrace clearingTrace, const std::filesystem::path& dataFolder);
    DesktopModel(const DesktopModel&) = delete;
    DesktopModel& operator=(const DesktopModel&) = delete;

    Defaults& defaults() { return *defaults_; }
    PocketStore& store() { return store_; }
    Preferences& preferences() { return preferences_; }
    Onboarding& introduction() { return introduction_; }
    BezelEngine& engine() { return *engine_; }
    NotificationCenter& notifications() { return notifications_; }
    const Clock& uptime() const { return uptime_; }
    // Called whenever the engine has something new to show.
    void setChangeListener(std::function<void()> listener) { changeListener_ = std::move(listener); }

private:
    void requestStep();

    // Declared first: preferences and the introduction ask for steps while the members
    // below are still being built, before the engine exists.
    BezelEngine* steppedEngine_ = nullptr;
    std::function<void()> changeListener_;
    SteadyClock uptime_;
    QtMainQueue mainQueue_;
    std::unique_ptr<Defaults> defaults_;
    PocketStore store_;
    NotificationCenter notifications_;
    XdgAutostartLoginItem loginItem_;
    Preferences preferences_;
    SilentHapticSink hapticSink_;
    Haptics haptics_;
    Onboarding introduction_;
    std::unique_ptr<BezelEngine> engine_;
};

} // namespace kestrane
