#include "CompositorTest.h"
#include "TextPatch.h"

#include <cstdlib>
#include <string_view>

namespace kestrane::e2e {
namespace {

// How sharp the drag peer's lines are: the mean change of grey from one row to the next
// inside the patch, about 170 for the bare lines and near 0 once they are blurred.
double lineSharpness(const QImage& screen)
{
    const QRect inside = textPatch.adjusted(40, 30, -40, -30);
    double change = 0;
    for (int y = inside.top(); y < inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            change += std::abs(qGray(screen.pixel(x, y)) - qGray(screen.pixel(x, y + 1)));
    return change / (inside.width() * (inside.height() - 1));
}

// Edit mode's backdrop on the program's own Wayland surface, over a native window with a
// patch of black lines like text: KWin blurs behind the surface, under sway the program
// blurs a picture of the output. Either way the lines come out smeared under a dimming,
// never sharp and never black, and sharp again once edit mode closes.
class NativeBackdropTest : public CompositorTest {
protected:
    // Takes screenshots until the lines' sharpness meets the condition; answers it as last seen.
    double sharpnessOnceIt(const std::function<bool(double)>& condition)
    {
        // On a loaded machine a picture of KWin's screen alone can take a second.
        constexpr milliseconds backdropTimeout { 15000 };
        pollUntil([&] { return condition(lineSharpness(shot = session->screenshot())); }, backdropTimeout);
        return lineSharpness(shot);
    }
    // The grey of the window's plain white, away from the patch and the edge.
    int plainGrey() const { return qGray(shot.pixel(800, 300)); }

    IsolatedHome home;
    QImage shot;
};

INSTANTIATE_TEST_SUITE_P(Compositors, NativeBackdropTest, ::testing::Values("sway", "KWin"),
    [](const auto& compositor) { return std::string(compositor.param); });

TEST_P(NativeBackdropTest, EditModeBlursTheWindowBehindAndLetsItGoWhenItCloses)
{
    ChildProcess window(
        WaylandSession::asSessionUser({ WaylandSession::staged(KESTRANE_DRAG_PEER), "-platform", "wayland", "clicks", "lines" }),
        session->environment());
    ASSERT_EQ(window.readLine(startTimeout), "READY");
    const double bare = sharpnessOnceIt([](double sharpness) { return sharpness > 100; });
    ASSERT_GT(bare, 100) << "the lines show";

    home.writeSettings({ desk });
    WaylandSession::handOver(home.root());
    ChildProcess program(
        WaylandSession::asSessionUser({ WaylandSession::staged(KESTRANE_PROGRAM), "--wayland", "--print-pockets", "--edit" }),
        session->environment(home.environment({})));
    readReport(program);
    // KWin blurs at once, under a dimming that fades in.
    EXPECT_LT(sharpnessOnceIt([&](double sharpness) { return sharpness < 0.01 * bare && plainGrey() < 230; }), 0.01 * bare)
        << "the lines blurred";
    if (const char* folder = std::getenv("KESTRANE_E2E_SHOTS"))
        shot.save(QString("%1/backdrop-%2.png").arg(folder, GetParam().data()));
    EXPECT_LT(plainGrey(), 230) << "dimmed";
    // A backdrop taken into its own picture would be dimmed twice, to about 125.
    EXPECT_GT(plainGrey(), 150) << "dimmed once: never black, nor over its own picture";

    session->key("Escape");
    EXPECT_GT(sharpnessOnceIt([&](double sharpness) { return sharpness > 0.9 * bare; }), 0.9 * bare) << "no blur is left behind";
}

} // namespace
} // namespace kestrane::e2e
