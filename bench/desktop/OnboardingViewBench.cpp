#include "BenchApplication.h"
#include "graphics/GaussianBlur.h"
#include "onboarding/Onboarding.h"
#include "platform/MemoryDefaults.h"
#include "views/OnboardingView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <optional>

using namespace kestrane;

namespace {

constexpr int width = 1440;
constexpr int height = 900;
constexpr double frame = 1.0 / 60;

// A desktop-like picture: light windows with rows of dark text on a coloured ground.
QImage busyDesktop()
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(59, 110, 165));
    QPainter painter(&picture);
    painter.fillRect(600, 100, 720, 520, QColor(244, 233, 200));
    painter.fillRect(80, 80, 300, 300, Qt::white);
    for (int y = 110; y < 610; y += 13)
        painter.drawText(605, y, QStringLiteral("-rwxr-xr-x 1 root root 14544 Dec 1 00:12 composite-im6.q16"));
    return picture;
}

// The introduction `teaching` seconds into its first lesson, then on into the next.
void startTeaching(Onboarding& flow, double teaching)
{
    const ScreenPerimeter perimeter = Onboarding::screenPerimeter(width, height);
    flow.start();
    while (flow.phase() != IntroductionPhase::teaching || flow.state().elapsed < teaching)
        flow.step(frame, perimeter);
    flow.advance();
}

// One frame: the model's step, then the whole screen repainted (haze over the blurred
// desktop, ink, demonstration pocket and lesson text).
void drawFrame(Onboarding& flow, OnboardingView& view, const QImage& desktop, QImage& screen)
{
    flow.step(frame, Onboarding::screenPerimeter(width, height));
    view.update(flow, desktop, QSizeF(width, height));
    screen.fill(Qt::transparent);
    QPainter painter(&screen);
    view.paint(painter);
}

} // namespace

// A frame of a lesson once the haze has settled.
static void BM_IntroductionFrame(benchmark::State& state)
{
    ensureApplication();
    MemoryDefaults defaults;
    Onboarding flow(defaults);
    startTeaching(flow, 2.5);
    const QImage desktop = busyDesktop();
    OnboardingView view;
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        drawFrame(flow, view, desktop, screen);
}
BENCHMARK(BM_IntroductionFrame)->Unit(benchmark::kMillisecond);

// A frame of the first second and a half of teaching, while the haze's radius grows with
// the reading and the blur is worked out again every few frames. The haze of the waking
// screen before it is drawn untimed, as it was by then.
static void BM_IntroductionFrameAsTeachingBegins(benchmark::State& state)
{
    ensureApplication();
    constexpr int framesTimed = 90;
    MemoryDefaults defaults;
    const QImage desktop = busyDesktop();
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);
    std::optional<Onboarding> flow;
    std::optional<OnboardingView> view;
    int frames = 0;
    for (auto _ : state) {
        if (frames++ % framesTimed == 0) {
            state.PauseTiming();
            flow.emplace(defaults);
            startTeaching(*flow, 0);
            view.emplace();
            for (int still = 0; still <= IntroductionHaze::stillFrames; ++still)
                view->update(*flow, desktop, QSizeF(width, height));
            state.ResumeTiming();
        }
        drawFrame(*flow, *view, desktop, screen);
    }
}
BENCHMARK(BM_IntroductionFrameAsTeachingBegins)->Unit(benchmark::kMillisecond);

// Blurring a whole 1440 × 900 capture at radius 8, as edit mode and a lesson's haze do.
static void BM_BlurCaptureRadiusEight(benchmark::State& state)
{
    ensureApplication();
    const QImage desktop = busyDesktop();
    for (auto _ : state)
        benchmark::DoNotOptimize(gaussianBlurred(desktop, 8));
}
BENCHMARK(BM_BlurCaptureRadiusEight)->Unit(benchmark::kMillisecond);
