#pragma once

#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "platform/MemoryDefaults.h"
#include "preferences/HapticPattern.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace kestrane::testing {

struct RecordingHaptics final : HapticsPerformer {
    void perform(HapticPattern pattern) override { played.push_back(pattern); }
    std::vector<HapticPattern> played;
};

struct CountingPocketStore final : EnginePocketStore {
    int itemCount(const Uuid& zone) const override
    {
        auto it = counts.find(zone);
        return it == counts.end() ? 0 : it->second;
    }
    void deleteZone(const Uuid& zone) override
    {
        counts.erase(zone);
        deleted.push_back(zone);
    }
    std::map<Uuid, int> counts;
    std::vector<Uuid> deleted;
};

struct FixedPreferences final : EnginePreferences {
    bool isSwitchOn(PrefRow row) const override { return switches[static_cast<int>(row)]; }
    bool blurWholeScreen() const override { return blur; }
    std::array<bool, prefRowCount> switches {};
    bool blur = true;
};

struct ScriptedIntroduction final : EngineIntroduction {
    bool isRunning() const override { return running; }
    bool running = false;
};

// Real engine with in-memory services. Zones are stored before the engine is made.
class EngineFixture : public ::testing::Test {
protected:
    static constexpr double frame = 1.0 / 120;

    void storeZones(const std::vector<Dropzone>& zones) { defaults.setData(BezelEngine::zonesKey, encodeZones(zones)); }

    BezelEngine& makeEngine(std::vector<std::string> arguments = {})
    {
        engine = std::make_unique<BezelEngine>(EngineServices { defaults, clock, haptics, store, preferences, introduction, std::move(arguments) });
        return *engine;
    }

    void run(double seconds)
    {
        for (double t = 0; t < seconds; t += frame) {
            clock.advance(frame);
            engine->step(frame);
        }
    }

    std::vector<Dropzone> storedZones() const { return decodeZones(*defaults.dataValue(BezelEngine::zonesKey)).value(); }

    MemoryDefaults defaults;
    ManualClock clock;
    RecordingHaptics haptics;
    CountingPocketStore store;
    FixedPreferences preferences;
    ScriptedIntroduction introduction;
    std::unique_ptr<BezelEngine> engine;
};

inline Dropzone zone(std::string name, double anchor) { return Dropzone { Uuid::random(), std::move(name), anchor, "shelf" }; }

} // namespace kestrane::testing
