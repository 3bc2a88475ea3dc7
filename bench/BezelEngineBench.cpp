#include "engine/BezelEngine.h"
#include "geometry/BezelGeometry.h"
#include "platform/Clock.h"
#include "platform/MemoryDefaults.h"
#include "preferences/HapticPattern.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace kestrane;

namespace {

struct SilentHaptics final : HapticsPerformer {
    void perform(HapticPattern) override {}
};

// Every pocket holds three items; nothing is stored or resolved.
struct FixedCounts final : EnginePocketStore {
    int itemCount(const Uuid&) const override { return 3; }
    void deleteZone(const Uuid&) override {}
    int ingest(const Pasteboard&, const Uuid&) override { return 0; }
    void remove(const Uuid&, const Uuid&) override {}
    std::vector<PocketItem> lift(const Uuid&) override { return {}; }
    void restore(std::vector<PocketItem>, const Uuid&) override {}
    void discardLifted(const std::vector<PocketItem>&) override {}
    // Resolution never finishes: the drawer stays open at the size of its item count.
    void resolveAsync(const Uuid&, std::function<void(ResolvedPocketItems)>) override {}
    std::vector<Uuid> pocketsHoldingItems() const override { return {}; }
};

struct AllOff final : EnginePreferences, EnginePreferenceControl {
    bool isSwitchOn(PrefRow) const override { return false; }
    bool blurWholeScreen() const override { return true; }
    void stopRecordingShortcut() override {}
    void refreshLoginState() override {}
};

struct NoIntroduction final : EngineIntroduction {
    bool isRunning() const override { return false; }
};

struct EngineBench {
    MemoryDefaults defaults;
    ManualClock clock;
    SilentHaptics haptics;
    FixedCounts counts;
    AllOff preferences;
    NoIntroduction introduction;
    std::unique_ptr<BezelEngine> engine;

    explicit EngineBench(int pockets)
    {
        std::vector<Dropzone> zones;
        for (int i = 0; i < pockets; ++i)
            zones.push_back({ Uuid::random(), "Pocket", 0.2 + 0.1 * i, "shelf" });
        defaults.setData(BezelEngine::zonesKey, encodeZones(zones));
        engine = std::make_unique<BezelEngine>(EngineServices { defaults, clock, haptics, counts, preferences, preferences, introduction, {} });
        engine->step(1.0 / 120);
    }
};

} // namespace

// Seven pockets all moving: an external drag sweeps up and down the edge.
static void BM_BezelEngineStepSevenMoving(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.isSystemDragActive = true;
        engine.dragPayload = Point { 1410, 450 + 400 * std::sin(phase) };
        engine.pointer = engine.dragPayload;
        engine.dropTarget = engine.blobs[static_cast<std::size_t>(phase) % 7].config.id;
        engine.step(1.0 / 120);
    }
    benchmark::DoNotOptimize(engine.frame);
}
BENCHMARK(BM_BezelEngineStepSevenMoving);

// The busiest frame edit mode has: seven pockets moving, a drawer opening and the
// preferences panel with its rows, switches and hovers animating.
static void BM_BezelEngineStepDrawerAndPreferences(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    engine.setEditing(true);
    engine.setShowingPreferences(true);
    engine.openDrawer(engine.blobs[3].config.id);
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.pointer = Point { 1410, 450 + 400 * std::sin(phase) };
        engine.prefsHovering[static_cast<std::size_t>(phase) % prefRowCount] = true;
        engine.prefsHovering[(static_cast<std::size_t>(phase) + 3) % prefRowCount] = false;
        // Start both animations over once they have finished.
        if (engine.openProgress.value > 0.99)
            engine.openProgress = SpringValue::atRest(0);
        if (engine.prefsProgress.value > 0.99) {
            engine.prefsProgress = SpringValue::atRest(0);
            engine.prefsRows.fill(SpringValue::atRest(0));
        }
        engine.step(1.0 / 120);
    }
    benchmark::DoNotOptimize(engine.frame);
}
BENCHMARK(BM_BezelEngineStepDrawerAndPreferences);

static void BM_BezelEngineUpdateDropTarget(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.dragPayload = Point { 1300, 450 + 400 * std::sin(phase) };
        engine.updateDropTarget();
        benchmark::DoNotOptimize(engine.dropTarget);
    }
}
BENCHMARK(BM_BezelEngineUpdateDropTarget);

static void BM_BezelEngineStepSkipped(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    for (int i = 0; i < 2000; ++i)
        engine.step(1.0 / 120);
    if (!engine.isQuiescent())
        state.SkipWithError("engine did not settle");
    for (auto _ : state) {
        engine.step(1.0 / 120);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BezelEngineStepSkipped);

// The outline of a 1440 × 900 edge in edit mode: seven pockets holding items and the plus
// bulge, every one at its settled edit-mode size.
static void BM_BezelGeometryPathEditMode(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    engine.setSize({ 1440, 900 });
    engine.isEditing = true;
    for (int i = 0; i < 2000; ++i)
        engine.step(1.0 / 120);
    const std::vector<BezelNode> nodes = engine.nodes();
    if (nodes.size() != 8)
        state.SkipWithError("expected seven pockets and the plus bulge");
    Path path;
    for (auto _ : state) {
        BezelGeometry::path(nodes, 1440, 900, path);
        benchmark::DoNotOptimize(path.elements.data());
    }
    state.counters["elements"] = static_cast<double>(path.elements.size());
}
BENCHMARK(BM_BezelGeometryPathEditMode);
