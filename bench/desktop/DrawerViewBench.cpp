#include "BenchApplication.h"
#include "EngineFakes.h"
#include "views/DrawerView.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace kestrane;

namespace {
constexpr double frame = 1.0 / 120;
} // namespace

// One frame of an open drawer of twenty rows scrolling to and fro under a still pointer
// (which keeps changing the hovered row): the view's step and update, and the repaint of
// what changed on a 1440 × 900 screen.
static void BM_DrawerFrameTwentyRowsScrolling(benchmark::State& state)
{
    ensureApplication();
    testing::EngineRig edge;
    BezelEngine& engine = edge.makeFilledEdge(1, 20);
    std::filesystem::create_directories(edge.store.payloadDirectory());
    testing::writeFile(edge.store.payloadDirectory() / "note.txt", "a note");
    engine.openDrawer(engine.state().blobs[0].config.id);
    edge.main.runUntilIdle();
    for (int i = 0; i < 240; ++i)
        engine.step(frame);
    DrawerView view;
    view.warmUp();
    QImage screen(1440, 900, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::black);
    const QPointF pointer(1300, 450);
    double now = 0;
    int direction = 1;
    for (auto _ : state) {
        now += frame;
        if (static_cast<int>(now * 2) % 2 == 0)
            direction = -direction;
        view.scroll(direction * 6, false, now);
        view.step(frame, now);
        view.update(engine, pointer);
        QPainter painter(&screen);
        painter.setClipRect(view.changedRegion());
        painter.fillRect(view.changedRegion(), Qt::black);
        view.paint(painter);
    }
    benchmark::DoNotOptimize(screen.constBits());
    state.counters["region px"] = static_cast<double>(view.changedRegion().width() * view.changedRegion().height());
}
BENCHMARK(BM_DrawerFrameTwentyRowsScrolling);
