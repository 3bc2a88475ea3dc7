#pragma once

namespace kestrane {

class BezelEngine;
class Defaults;
class Onboarding;
class Preferences;

// The shared objects edit mode's views read and drive.
class EditModeModel {
public:
    EditModeModel(BezelEngine& engine, Preferences& preferences, Defaults& defaults, Onboarding& introduction)
        : engine_(engine)
        , preferences_(preferences)
        , defaults_(defaults)
        , introduction_(introduction)
    {
    }

    BezelEngine& engine() const { return engine_; }
    Preferences& preferences() const { return preferences_; }
    Defaults& defaults() const { return defaults_; }
    Onboarding& introduction() const { return introduction_; }

private:
    BezelEngine& engine_;
    Preferences& preferences_;
    Defaults& defaults_;
    Onboarding& introduction_;
};

} // namespace kestrane
