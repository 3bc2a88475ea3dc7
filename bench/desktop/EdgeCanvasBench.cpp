#include "BenchApplication.h"
#include "EngineFakes.h"
#include "views/EdgeCanvas.h"
#include "x11/OverlayWindowSetup.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace kestrane;

namespace {

constexpr double frame = 1.0 / 120;
constexpr int itemsPerPocket = 3;

// One frame of an external drag sweeping up and down the edge.
void stepSweep(BezelEngine& engine, double& phase)
{
    phase += 0.05;
    const Point payload { 1410, 450 + 400 * std::sin(phase) };
    engine.beginSystemDrag();
    engine.updatePointer(payload);
    engine.updateDragPayload(payload);
    engine.step(frame);
}

} // namespace

// One whole frame with seven pockets moving as an external drag sweeps up and down the
// edge: the engine's step, the outline and the repaint of what changed.
static void BM_EdgeCanvasFrameSevenMoving(benchmark::State& state)
{
    ensureApplication();
    testing::EngineRig edge;
    BezelEngine& engine = edge.makeFilledEdge(7, itemsPerPocket);
    EdgeCanvas canvas;
    QImage screen(1440, 900, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::transparent);
    double phase = 0;
    for (auto _ : state) {
        stepSweep(engine, phase);
        canvas.update(engine);
        QPainter painter(&screen);
        canvas.repaintChanged(painter);
    }
    benchmark::DoNotOptimize(screen.constBits());
    state.counters["region px"] = static_cast<double>(canvas.changedRegion().width() * canvas.changedRegion().height());
}
BENCHMARK(BM_EdgeCanvasFrameSevenMoving);

// Without a compositor, a frame whose outline changed also reshapes the window: the
// painted region of the same moving edge, as the rectangles sent to the X server. The
// frames are prepared first, so that only the shape is timed.
static void BM_BoundingShapeSevenMoving(benchmark::State& state)
{
    ensureApplication();
    testing::EngineRig edge;
    BezelEngine& engine = edge.makeFilledEdge(7, itemsPerPocket);
    std::vector<EdgeCanvas> frames(64);
    double phase = 0;
    for (EdgeCanvas& canvas : frames) {
        stepSweep(engine, phase);
        canvas.update(engine);
    }
    std::size_t next = 0;
    std::size_t rectangles = 0;
    for (auto _ : state) {
        rectangles = OverlayWindowSetup::rectanglesOf(frames[next++ % frames.size()].paintedRegion()).size();
        benchmark::DoNotOptimize(rectangles);
    }
    state.counters["rectangles"] = static_cast<double>(rectangles);
}
BENCHMARK(BM_BoundingShapeSevenMoving);
