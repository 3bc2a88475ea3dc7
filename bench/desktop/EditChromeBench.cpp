#include "BenchApplication.h"
#include "EngineFakes.h"
#include "onboarding/Onboarding.h"
#include "preferences/LoginItemService.h"
#include "preferences/Preferences.h"
#include "views/EdgeCanvas.h"
#include "views/EditChrome.h"
#include "x11/ScreenCapture.h"
#include "x11/X11Display.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace kestrane;

namespace {

constexpr double frame = 1.0 / 60;

struct NoLoginItem final : LoginItemService {
    LoginState status() const override { return LoginState::off(); }
    std::optional<LoginItemFailure> registerItem() override { return std::nullopt; }
    std::optional<LoginItemFailure> unregisterItem() override { return std::nullopt; }
};

// Seven pockets on a 1440 × 900 screen, the edge and edit mode's views over them, painted as
// the window paints them.
struct EditScene {
    testing::EngineRig edge;
    BezelEngine& engine = edge.makeFilledEdge(7, 2);
    NoLoginItem loginItem;
    NotificationCenter notifications;
    Preferences preferences { edge.defaults, loginItem, notifications, nullptr };
    Onboarding introduction { edge.defaults };
    EdgeCanvas canvas;
    EditChrome chrome { { engine, preferences, edge.defaults, introduction } };
    QImage desktop = QImage(1440, 900, QImage::Format_RGB32);
    QImage screen = QImage(1440, 900, QImage::Format_ARGB32_Premultiplied);

    EditScene()
    {
        desktop.fill(QColor(59, 110, 165));
        QPainter painter(&desktop);
        painter.fillRect(600, 100, 720, 520, QColor(244, 233, 200));
        for (int y = 110; y < 610; y += 13)
            painter.drawText(605, y, QStringLiteral("-rwxr-xr-x 1 root root 14544 Dec 1 00:12 composite-im6.q16"));
    }

    // One frame: a step, then what changed repainted.
    void drawFrame(const QImage& backdrop)
    {
        engine.step(frame);
        canvas.update(engine);
        chrome.update(std::nullopt, backdrop, QPoint());
        const QRegion changed = chrome.changedRegion() + canvas.changedRegion();
        QPainter painter(&screen);
        painter.setClipRegion(changed);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(screen.rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        chrome.paintBackdrop(painter);
        canvas.paint(painter);
        chrome.paint(painter, changed);
    }
};

} // namespace

// A frame of edit mode while the preferences panel comes in or goes out.
static void BM_EditModeFrameWithPanelAnimating(benchmark::State& state)
{
    ensureApplication();
    EditScene scene;
    scene.engine.setEditing(true);
    for (int i = 0; i < 90; ++i)
        scene.drawFrame(scene.desktop);
    int frames = 0;
    for (auto _ : state) {
        // The panel's rows take about a second to come in or go out.
        if (frames++ % 60 == 0)
            scene.engine.setShowingPreferences(!scene.engine.state().isShowingPreferences);
        scene.drawFrame(scene.desktop);
    }
}
BENCHMARK(BM_EditModeFrameWithPanelAnimating)->Unit(benchmark::kMillisecond);

// From the call that enters edit mode to its first frame drawn over a freshly captured
// (and so not yet blurred) desktop.
static void BM_EnteringEditModeToFirstFrame(benchmark::State& state)
{
    ensureApplication();
    EditScene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.engine.setEditing(false);
        for (int i = 0; i < 90; ++i)
            scene.drawFrame(QImage());
        const QImage captured = scene.desktop.copy();
        state.ResumeTiming();
        scene.engine.setEditing(true);
        scene.drawFrame(captured);
    }
}
BENCHMARK(BM_EnteringEditModeToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same, with the picture read from a real X server as the capture thread reads it
// once edit mode has opened: the root's background (or a stand-in for it), then every
// window composed over it; the first frame itself does not wait for it. Run under a
// display with QT_QPA_PLATFORM=xcb, ideally with windows and a compositor running.
static void BM_EnteringEditModeWithScreenCapture(benchmark::State& state)
{
    ensureApplication();
    const auto display = X11Display::fromApplication();
    if (!display) {
        state.SkipWithError("needs an X display: run with QT_QPA_PLATFORM=xcb");
        return;
    }
    EditScene scene;
    const QRect area(0, 0, 1440, 900);
    for (auto _ : state) {
        state.PauseTiming();
        scene.engine.setEditing(false);
        for (int i = 0; i < 90; ++i)
            scene.drawFrame(QImage());
        state.ResumeTiming();
        scene.engine.setEditing(true);
        const PixelRequest root = requestRootBackground(*display, area);
        const QImage background = root.valid ? collectPixels(*display, root)
                                             : desktopStandIn(*display, XCB_NONE, area, requestPixels(*display, display->root(), area));
        scene.drawFrame(captureBelow(*display, XCB_NONE, area, background));
    }
}
BENCHMARK(BM_EnteringEditModeWithScreenCapture)->Unit(benchmark::kMillisecond)->Iterations(20);
