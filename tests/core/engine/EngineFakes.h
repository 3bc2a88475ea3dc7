#pragma once

#include "TemporaryFolder.h"
#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "platform/ManualMainQueue.h"
#include "platform/MemoryDefaults.h"
#include "pockets/PocketStore.h"
#include "preferences/HapticPattern.h"

#include <array>
#include <memory>
#include <vector>

// The fakes every engine test and benchmark builds its engine from.
namespace kestrane::testing {

inline Dropzone newPocket(std::string name, double anchor)
{
    return Dropzone { Uuid::random(), std::move(name), anchor, "shelf" };
}

struct RecordingHaptics final : HapticsPerformer {
    void perform(HapticPattern pattern) override { played.push_back(pattern); }
    std::vector<HapticPattern> played;
};

struct FixedPreferences final : EnginePreferences, EnginePreferenceControl {
    bool isSwitchOn(PrefRow row) const override { return switches[static_cast<std::size_t>(row)]; }
    bool blurWholeScreen() const override { return blur; }
    void stopRecordingShortcut() override { switches[static_cast<std::size_t>(PrefRow::shortcut)] = false; }
    void refreshLoginState() override { ++loginStateRefreshes; }
    std::array<bool, prefRowCount> switches {};
    bool blur = true;
    int loginStateRefreshes = 0;
};

struct ScriptedIntroduction final : EngineIntroduction {
    bool isRunning() const override { return running; }
    bool running = false;
};

// What the engine asks of the rest of the program besides its settings and pockets.
struct FakeEngineServices {
    EngineServices over(Defaults& defaults, EnginePocketStore& pockets, EngineTrace clearingTrace = {})
    {
        return EngineServices { defaults, clock, haptics, pockets, preferences, preferences, introduction, std::move(clearingTrace), {} };
    }

    ManualClock clock;
    RecordingHaptics haptics;
    FixedPreferences preferences;
    ScriptedIntroduction introduction;
};

// A real engine over a real pocket store in a temporary folder, with in-memory settings and
// a main queue run by hand. Pockets are stored before the engine is made.
struct EngineRig : FakeEngineServices {
    void storePockets(const std::vector<Dropzone>& pockets) { defaults.setData(BezelEngine::pocketsKey, encodePockets(pockets)); }

    BezelEngine& makeEngine(EngineTrace clearingTrace = {})
    {
        engine = std::make_unique<BezelEngine>(over(defaults, store, std::move(clearingTrace)));
        return *engine;
    }

    // A 1440 × 900 edge with pockets spread down it, each holding items known only to the
    // index in memory, after its first step.
    BezelEngine& makeFilledEdge(int pocketCount, int itemsEach)
    {
        std::vector<Dropzone> pockets;
        for (int i = 0; i < pocketCount; ++i) {
            pockets.push_back(newPocket("Pocket", 0.2 + 0.1 * i));
            for (int n = 0; n < itemsEach; ++n)
                store.items[pockets.back().id].push_back(PocketItem::make("note.txt", PocketPayload::makeManaged("note.txt"), 0));
        }
        storePockets(pockets);
        makeEngine().setSize({ 1440, 900 });
        engine->step(1.0 / 120);
        return *engine;
    }

    TemporaryFolder folder;
    ManualMainQueue main;
    MemoryDefaults defaults;
    PocketStore store { folder / "Kestrane", main, [] { return 0.0; } };
    std::unique_ptr<BezelEngine> engine;
};

} // namespace kestrane::testing
