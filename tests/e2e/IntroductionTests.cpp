#include "EndToEndTest.h"

#include <QColor>

#include <algorithm>

namespace kestrane::e2e {
namespace {

// The first lesson's lines: 3:1 for the headline, 4.5:1 for the smaller ones.
const std::vector<TextBand> lesson { { "headline", QRect(432, 362, 460, 30), 3 }, { "detail", QRect(432, 410, 420, 16) },
    { "click to continue", QRect(515, 460, 105, 12) } };

// A first launch with fresh folders plays the introduction over a window that counts the
// clicks it gets; the test starts each program at the SCREEN line of its report.
class IntroductionTest : public EndToEndTest {
protected:
    std::unique_ptr<ChildProcess> peer;

    void SetUp() override { peer = launchPeer({ "clicks", "lines" }); }

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
    const double bare = shownTextPatch().second;
    ASSERT_GT(bare, 100);
    launchAndReport({});
    EXPECT_TRUE(pollUntil([&] { return brightnessAndContrast(display.screenshot()).second < 0.9 * bare; }, eventTimeout))
        << "the haze begins to blur the screen";

    // The ink runs all round the border, over what was white, before the first lesson shows.
    const std::vector<QPoint> border { QPoint(3, 450), QPoint(720, 3), QPoint(1436, 450), QPoint(720, 896) };
    QImage shot;
    pollUntil(
        [&] {
            shot = display.screenshot();
            return !unreadable(shot, lesson) && brightnessAndContrast(shot).second < 0.5 * bare
                && std::ranges::all_of(border, [&](QPoint at) { return qGray(shot.pixel(at)) < 60; });
        },
        2 * eventTimeout);
    EXPECT_FALSE(unreadable(shot, lesson)) << "the first lesson shows";
    EXPECT_LT(brightnessAndContrast(shot).second, 0.5 * bare) << "the lesson's haze blurs the window behind";
    for (const QPoint at : border)
        EXPECT_LT(qGray(shot.pixel(at)), 60) << at.x() << "," << at.y();

    for (int click = 0; click < 5; ++click)
        EXPECT_FALSE(clickReachesPeer(milliseconds(150))) << "click " << click << " belongs to the introduction";
    EXPECT_TRUE(clicksReachPeerSoon()) << "after the closing fade, clicks reach the window below";
}

// The first lesson reads over the brightest desktop and the darkest, and Escape ends it.
TEST_F(IntroductionTest, TheLessonReadsOverWhiteAndBlackDesktopsAndEscapeEndsIt)
{
    for (const char* desktop : { "white", "dark" }) {
        peer = launchPeer({ "clicks", desktop });
        launchAndReport({ "--onboarding" });
        expectReadable(lesson, desktop, 2 * eventTimeout);
        ASSERT_TRUE(awaitFocus(*program)) << "the introduction takes the keyboard";
        display.xdotool({ "key", "Escape" });
        EXPECT_TRUE(clicksReachPeerSoon()) << desktop << ": Escape ends it";
        ASSERT_EQ(program->stop(), 0);
    }
}

} // namespace
} // namespace kestrane::e2e
