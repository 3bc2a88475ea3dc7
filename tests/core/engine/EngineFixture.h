#pragma once

#include "TemporaryFolder.h"
#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "platform/ManualMainQueue.h"
#include "platform/MemoryDefaults.h"
#include "pockets/PocketStore.h"
#include "preferences/HapticPattern.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace kestrane::testing {

inline Dropzone zone(std::string name, double anchor) { return Dropzone { Uuid::random(), std::move(name), anchor, "shelf" }; }

struct RecordingHaptics final : HapticsPerformer {
    void perform(HapticPattern pattern) override { played.push_back(pattern); }
    std::vector<HapticPattern> played;
};

struct FixedPreferences final : EnginePreferences, EnginePreferenceControl {
    bool isSwitchOn(PrefRow row) const override { return switches[static_cast<int>(row)]; }
    bool blurWholeScreen() const override { return blur; }
    void stopRecordingShortcut() override { switches[static_cast<int>(PrefRow::shortcut)] = false; }
    void refreshLoginState() override { ++loginStateRefreshes; }
    std::array<bool, prefRowCount> switches {};
    bool blur = true;
    int loginStateRefreshes = 0;
};

struct ScriptedIntroduction final : EngineIntroduction {
    bool isRunning() const override { return running; }
    bool running = false;
};

// Real engine over a real pocket store in a temporary folder, with in-memory settings and a
// main queue the test runs by hand. Zones are stored before the engine is made.
class EngineFixture : public ::testing::Test {
protected:
    static constexpr double frame = 1.0 / 120;

    void storeZones(const std::vector<Dropzone>& zones) { defaults.setData(BezelEngine::zonesKey, encodeZones(zones)); }

    BezelEngine& makeEngine(EngineTrace purgeTrace = {})
    {
        engine = std::make_unique<BezelEngine>(EngineServices { defaults, clock, haptics, store, preferences, preferences, introduction, std::move(purgeTrace) });
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

    // One pocket in the middle of the edge holding n items, placed by a first step.
    Dropzone startWithOnePocket(int n)
    {
        const Dropzone pocket = zone("A", 0.5);
        storeZones({ pocket });
        putItems(pocket.id, n);
        makeEngine();
        engine->step(frame);
        return pocket;
    }

    // Puts n text items, each with its payload file, into a pocket and returns them.
    std::vector<PocketItem> putItems(const Uuid& zone, int n)
    {
        std::vector<PocketItem> added;
        for (int i = 0; i < n; ++i) {
            const std::string filename = Uuid::random().string() + ".txt";
            writeFile(store.payloadDirectory() / filename, "note " + std::to_string(i));
            added.push_back(PocketItem::make("note " + std::to_string(i) + ".txt", PocketPayload::makeManaged(filename), 0));
        }
        std::vector<PocketItem>& list = store.items[zone];
        list.insert(list.end(), added.begin(), added.end());
        store.save();
        return added;
    }

    // Lets background resolutions come back, as the desktop's event loop would.
    void deliverResults()
    {
        if (main.runPendingWaiting(std::chrono::seconds(10)) == 0)
            return;
        while (main.runPendingWaiting(std::chrono::milliseconds(20)) > 0) {
        }
    }

    TemporaryFolder folder;
    ManualMainQueue main;
    MemoryDefaults defaults;
    ManualClock clock;
    RecordingHaptics haptics;
    PocketStore store { folder / "Kestrane", main, [] { return 0.0; } };
    FixedPreferences preferences;
    ScriptedIntroduction introduction;
    std::unique_ptr<BezelEngine> engine;
};


} // namespace kestrane::testing
