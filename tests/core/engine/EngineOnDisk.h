#pragma once

#include "EngineFixture.h"
#include "platform/JsonFileDefaults.h"

namespace kestrane::testing {

// One launch of the program's model with everything on disk: the settings file, the pocket
// store and an engine over them, all under one folder that later launches reuse.
struct EngineOnDisk {
    explicit EngineOnDisk(const TemporaryFolder& folder)
        : defaults(folder / "config/Kestrane/defaults.json")
        , store(folder / "data/Kestrane", main)
        , engine(EngineServices { defaults, clock, haptics, store, preferences, preferences, introduction, {} })
    {
    }

    JsonFileDefaults defaults;
    ManualMainQueue main;
    PocketStore store;
    ManualClock clock;
    RecordingHaptics haptics;
    FixedPreferences preferences;
    ScriptedIntroduction introduction;
    BezelEngine engine;
};

} // namespace kestrane::testing
