#include "TemporaryFolder.h"
#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "platform/ManualMainQueue.h"
#include "platform/MemoryDefaults.h"
#include "pockets/PocketStore.h"
#include "preferences/HapticPattern.h"
#include "views/EdgeCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace kestrane;

namespace {

constexpr double frame = 1.0 / 120;
constexpr int itemsPerPocket = 3;

// Fonts and the raster engine want an application; painting goes to images only.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "kestrane_desktop_bench";
    static char* argv[] = { name, nullptr };
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

// Everything the engine asks of the rest of the program, answered by doing nothing: no
// haptics, every preference off, no introduction running.
struct QuietProgram final : HapticsPerformer, EnginePreferences, EnginePreferenceControl, EngineIntroduction {
    void perform(HapticPattern) override {}
    bool isSwitchOn(PrefRow) const override { return false; }
    bool blurWholeScreen() const override { return true; }
    void stopRecordingShortcut() override {}
    void refreshLoginState() override {}
    bool isRunning() const override { return false; }
};

// A real engine on a 1440 × 900 edge over a store whose pockets each hold a few items
// known only to its index in memory.
struct Edge {
    testing::TemporaryFolder folder;
    ManualMainQueue main;
    MemoryDefaults defaults;
    ManualClock clock;
    QuietProgram program;
    PocketStore store { folder / "Kestrane", main, [] { return 0.0; } };
    std::unique_ptr<BezelEngine> engine;

    explicit Edge(int pockets)
    {
        std::vector<Dropzone> zones;
        for (int i = 0; i < pockets; ++i) {
            zones.push_back({ Uuid::random(), "Pocket", 0.2 + 0.1 * i, "shelf" });
            for (int n = 0; n < itemsPerPocket; ++n)
                store.items[zones.back().id].push_back(PocketItem::make("note.txt", PocketPayload::makeManaged("note.txt"), 0));
        }
        defaults.setData(BezelEngine::zonesKey, encodeZones(zones));
        engine = std::make_unique<BezelEngine>(EngineServices { defaults, clock, program, store, program, program, program, {} });
        engine->setSize({ 1440, 900 });
        engine->step(frame);
    }
};

} // namespace

// One whole frame with seven pockets moving as an external drag sweeps up and down the
// edge: the engine's step, the outline and the repaint of what changed.
static void BM_EdgeCanvasFrameSevenMoving(benchmark::State& state)
{
    ensureApplication();
    Edge edge(7);
    BezelEngine& engine = *edge.engine;
    EdgeCanvas canvas;
    QImage screen(1440, 900, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::transparent);
    double phase = 0;
    for (auto _ : state) {
        phase += 0.05;
        engine.isSystemDragActive = true;
        engine.dragPayload = Point { 1410, 450 + 400 * std::sin(phase) };
        engine.pointer = engine.dragPayload;
        engine.dropTarget = engine.blobs[static_cast<std::size_t>(phase) % 7].config.id;
        engine.step(frame);
        canvas.update(engine);
        QPainter painter(&screen);
        canvas.repaintChanged(painter);
    }
    benchmark::DoNotOptimize(screen.constBits());
    state.counters["region px"] = static_cast<double>(canvas.changedRegion().width() * canvas.changedRegion().height());
}
BENCHMARK(BM_EdgeCanvasFrameSevenMoving);
