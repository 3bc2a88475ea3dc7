#include "BenchApplication.h"
#include "onboarding/Onboarding.h"
#include "platform/MemoryDefaults.h"
#include "views/GaussianBlur.h"
#include "views/OnboardingView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

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

} // namespace

// One frame of a lesson being taught, once the haze has settled: the model's step, then
// the whole screen repainted (haze over the blurred desktop, ink, demonstration pocket and
// lesson text).
static void BM_IntroductionFrame(benchmark::State& state)
{
    ensureApplication();
    MemoryDefaults defaults;
    Onboarding flow(defaults);
    const ScreenPerimeter perimeter = Onboarding::screenPerimeter(width, height);
    flow.start();
    while (flow.phase() != OnboardingPhase::teaching || flow.state().elapsed < 2.5)
        flow.step(frame, perimeter);
    flow.advance();
    const QImage desktop = busyDesktop();
    OnboardingView view;
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        flow.step(frame, perimeter);
        view.update(flow, desktop, QSizeF(width, height));
        screen.fill(Qt::transparent);
        QPainter painter(&screen);
        view.paint(painter);
    }
}
BENCHMARK(BM_IntroductionFrame)->Unit(benchmark::kMillisecond);

// Blurring a whole 1440 × 900 capture at radius 8, as edit mode and a lesson's haze do.
static void BM_BlurCaptureRadiusEight(benchmark::State& state)
{
    ensureApplication();
    const QImage desktop = busyDesktop();
    for (auto _ : state)
        benchmark::DoNotOptimize(gaussianBlurred(desktop, 8));
}
BENCHMARK(BM_BlurCaptureRadiusEight)->Unit(benchmark::kMillisecond);
