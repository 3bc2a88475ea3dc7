#include "EndToEndTest.h"
#include "SwaySession.h"

#include <QColor>

namespace kestrane::e2e {
namespace {

// The program on XWayland under sway (as under a compositor without a layer shell) above a native window that fills the output and
// reports its clicks; the pointer moves as the user's mouse, from the compositor's side.
class WaylandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        try {
            sway.emplace();
        } catch (const std::runtime_error& error) {
            KESTRANE_CANNOT_RUN("No sway session: " << error.what());
        }
        window = std::make_unique<ChildProcess>(
            SwaySession::asSessionUser({ SwaySession::staged(KESTRANE_DRAG_PEER), "-platform", "wayland", "clicks" }), sway->environment());
        if (window->readLine(startTimeout) != "READY")
            throw std::runtime_error("the native window did not show");
    }

    // Starts the program with one pocket holding two items, its introduction seen,
    // and answers the pocket's height.
    int launchWithPocket()
    {
        home.writeSettings({ desk });
        SwaySession::handOver(home.root());
        program = std::make_unique<ChildProcess>(
            SwaySession::asSessionUser({ SwaySession::staged(KESTRANE_PROGRAM), "--x11", "--seed-pocket", "2", "--print-pockets" }),
            sway->environment(home.environment({})));
        return pocketY(readReport(*program));
    }

    // How many points of the row, along the edge, the program draws dark.
    int inkAlongTheEdge(int y) const
    {
        return countPixels(sway->screenshot(), QRect(SwaySession::width - 200, y, 200, 1), [](QRgb p) { return QColor(p).value() < 128; });
    }

    std::optional<SwaySession> sway;
    IsolatedHome home;
    std::unique_ptr<ChildProcess> window;
    std::unique_ptr<ChildProcess> program;
};

// XWayland gives an X window every click on it, whatever its input shape: the program must
// pass on the clicks left of the edge, and keep those on a pocket holding items, which swells
// under the pointer.
TEST_F(WaylandTest, ANativeWindowLeftOfTheEdgeReceivesClicksAndAPocketSwellsAndKeepsItsClick)
{
    const int pocketY = launchWithPocket();
    // At rest the window is only as wide as the pockets it shows.
    for (const int x : { 200, 1000, 1400 }) {
        sway->input("click", x, 450);
        EXPECT_EQ(window->readLine(eventTimeout), QString("CLICK %1 450").arg(x).toStdString());
    }
    const int idle = inkAlongTheEdge(pocketY);
    int moves = 0;
    EXPECT_TRUE(pollUntil(
        [&] {
            sway->input("move", edgeX - moves++ % 2, pocketY);
            return inkAlongTheEdge(pocketY) > idle + 5;
        },
        eventTimeout))
        << "the pocket swells from " << idle << " points";
    sway->input("click", edgeX, pocketY);
    EXPECT_EQ(window->readLine(absenceWait), std::nullopt) << "the pocket keeps its click";
}

} // namespace
} // namespace kestrane::e2e
