#include "EngineFakes.h"
#include "geometry/BezelGeometry.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace kestrane;

namespace {
// Seven pockets of three items each on a 1440 × 900 edge.
struct EngineBench : testing::EngineRig {
    explicit EngineBench(int pockets) { makeFilledEdge(pockets, 3); }
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
        const Point payload { 1410, 450 + 400 * std::sin(phase) };
        engine.beginSystemDrag();
        engine.updatePointer(payload);
        engine.updateDragPayload(payload);
        engine.step(1.0 / 120);
    }
    benchmark::DoNotOptimize(engine.state().frame);
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
    engine.openDrawer(engine.state().blobs[3].config.id);
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.updatePointer(Point { 1410, 450 + 400 * std::sin(phase) });
        engine.setPrefHovering(static_cast<PrefRow>(static_cast<int>(phase) % prefRowCount), true);
        engine.setPrefHovering(static_cast<PrefRow>((static_cast<int>(phase) + 3) % prefRowCount), false);
        // Run both animations back and forth once they have finished.
        const BezelState& now = engine.state();
        if (now.openProgress.value > 0.99)
            engine.closeDrawer();
        else if (!now.wantsOpen && now.openProgress.value < 0.01)
            engine.openDrawer(now.blobs[3].config.id);
        if (now.prefsProgress.value > 0.99 || (!now.isShowingPreferences && now.prefsProgress.value < 0.01))
            engine.setShowingPreferences(!now.isShowingPreferences);
        engine.step(1.0 / 120);
    }
    benchmark::DoNotOptimize(engine.state().frame);
}
BENCHMARK(BM_BezelEngineStepDrawerAndPreferences);

static void BM_BezelEngineUpdateDropTarget(benchmark::State& state)
{
    EngineBench bench(7);
    BezelEngine& engine = *bench.engine;
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.updateDragPayload({ 1300, 450 + 400 * std::sin(phase) });
        benchmark::DoNotOptimize(engine.state().dropTarget);
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
    engine.setEditing(true);
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
