#include "EndToEndTest.h"

#include <QColor>

#include <cmath>
#include <thread>

namespace kestrane::e2e {
namespace {

// How far the grey levels of the peer's text-like patch spread.
double contrastOf(const QImage& screen)
{
    return brightnessAndContrast(screen).second;
}

// A first launch with fresh folders plays the introduction over a window that counts the
// clicks it gets; the test starts each program at the SCREEN line of its report.
class IntroductionTest : public EndToEndTest {
protected:
    std::unique_ptr<ChildProcess> peer;

    void SetUp() override { peer = launchPeer({ "clicks", "lines" }); }

    // The desktop as the compositor shows it once the peer's lines reached the screen.
    double bareContrast()
    {
        double contrast = 0;
        for (int attempt = 0; attempt < 50 && contrast == 0; ++attempt) {
            std::this_thread::sleep_for(milliseconds(100));
            contrast = contrastOf(display.screenshot());
        }
        return contrast;
    }

    void launchFirstRun() { launchAndReport({}); }
    static void waitUntil(std::chrono::steady_clock::time_point when) { std::this_thread::sleep_until(when); }

    bool clickReachesPeer(milliseconds wait) { return clickReaches(*peer, { 700, 800 }, wait); }

    // The fade's 1.6 s are the introduction's own time: a loaded or instrumented build
    // whose frames fall behind takes longer, so a click is tried until one gets through.
    bool clicksReachPeerSoon()
    {
        return pollUntil([&] { return clickReachesPeer(absenceWait); }, eventTimeout);
    }
};

TEST_F(IntroductionTest, HazeAndInkShowAndFiveClicksEndIt)
{
    const double bare = bareContrast();
    ASSERT_GT(bare, 100);
    launchFirstRun();
    const auto started = std::chrono::steady_clock::now();

    waitUntil(started + milliseconds(2000));
    EXPECT_LT(contrastOf(display.screenshot()), 0.9 * bare) << "the haze begins to blur the screen";

    waitUntil(started + milliseconds(8000));
    const QImage lesson = display.screenshot();
    EXPECT_LT(contrastOf(lesson), 0.5 * bare) << "the lesson's haze blurs the window behind";
    // The ink runs all round the border, over what was white.
    for (const QPoint at : { QPoint(3, 450), QPoint(720, 3), QPoint(1436, 450), QPoint(720, 896) })
        EXPECT_LT(qGray(lesson.pixel(at)), 60) << at.x() << "," << at.y();

    for (int click = 0; click < 5; ++click)
        EXPECT_FALSE(clickReachesPeer(milliseconds(150))) << "click " << click << " belongs to the introduction";
    std::this_thread::sleep_for(milliseconds(1600));
    EXPECT_TRUE(clicksReachPeerSoon()) << "after the closing fade, clicks reach the window below";
}

// The first lesson reads over the brightest desktop and the darkest: 3:1 for the headline,
// 4.5:1 for the smaller lines.
TEST_F(IntroductionTest, TheLessonReadsOverWhiteAndBlackDesktops)
{
    const std::vector<TextBand> texts { { "headline", QRect(432, 362, 460, 30), 3 }, { "detail", QRect(432, 410, 420, 16) },
        { "click to continue", QRect(515, 460, 105, 12) } };
    for (const char* desktop : { "white", "dark" }) {
        peer = launchPeer({ "clicks", desktop });
        launchAndReport({ "--onboarding" });
        expectReadable(texts, desktop, 2 * eventTimeout);
        ASSERT_EQ(program->stop(), 0);
    }
}

TEST_F(IntroductionTest, EscapeEndsIt)
{
    launchFirstRun();
    const auto started = std::chrono::steady_clock::now();
    waitUntil(started + milliseconds(2000));
    display.xdotool({ "key", "Escape" });
    std::this_thread::sleep_for(milliseconds(1600));
    EXPECT_TRUE(clicksReachPeerSoon());
}

} // namespace
} // namespace kestrane::e2e
