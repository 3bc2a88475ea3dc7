#pragma once

#include "EngineFakes.h"
#include "platform/JsonFileDefaults.h"

namespace kestrane::testing {

// One launch of the program's model with everything on disk: the settings file, the pocket
// store and an engine over them, all under one folder that later launches reuse.
struct EngineOnDisk : FakeEngineServices {
    explicit EngineOnDisk(const TemporaryFolder& folder, EngineTrace purgeTrace = {})
        : defaults(folder / "config/Kestrane/defaults.json")
        , store(folder / "data/Kestrane", main)
        , engine(over(defaults, store, std::move(purgeTrace)))
    {
    }

    JsonFileDefaults defaults;
    ManualMainQueue main;
    PocketStore store;
    BezelEngine engine;
};

} // namespace kestrane::testing
