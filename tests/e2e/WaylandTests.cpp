#include "IsolatedHome.h"
#include "SwaySession.h"

#include <QColor>

#include <gtest/gtest.h>

namespace kestrane::e2e {
namespace {

// The program on XWayland under sway above a native window that fills the output and
// reports its clicks; the pointer moves as the user's mouse, from the compositor's side.
class WaylandTest : public ::testing::Test {
protected:
    static constexpr milliseconds startTimeout { 15000 };
    static constexpr milliseconds eventTimeout { 5000 };
    static constexpr milliseconds absenceWait { 600 };
    static constexpr int edgeX = SwaySession::width - 10;

    void SetUp() override
    {
        if (const auto reason = SwaySession::unavailable())
            GTEST_SKIP() << "No sway session: " << *reason;
        try {
            sway.emplace();
        } catch (const std::runtime_error& error) {
            GTEST_SKIP() << "No sway session: " << error.what();
        }
        QProcessEnvironment environment = sway->environment();
        environment.insert("QT_QPA_PLATFORM", "wayland");
        window = std::make_unique<ChildProcess>(SwaySession::asSessionUser({ KESTRANE_DRAG_PEER, "clicks" }), environment);
        if (window->readLine(startTimeout) != "READY")
            throw std::runtime_error("the native window did not show");
    }

    // Starts the program with one pocket holding two items, its introduction seen,
    // and answers the pocket's height.
    int launchWithPocket()
    {
        home.writeSettings({ { "5C7E2A90-1B3D-4F68-8A4C-D2E6F0B91357", "Desk", 0.5 } });
        SwaySession::handOver(home.root());
        QProcessEnvironment environment = home.environment(sway->xName());
        environment.insert("WAYLAND_DISPLAY", QString::fromStdString((sway->runtimeFolder() / sway->waylandName()).string()));
        environment.insert("XDG_SESSION_TYPE", "wayland");
        program = std::make_unique<ChildProcess>(SwaySession::asSessionUser({ KESTRANE_PROGRAM, "--seed-pocket", "2", "--print-pockets" }), environment);
        int y = -1;
        for (std::optional<std::string> line; y < 0 && (line = program->readLine(startTimeout));)
            std::sscanf(line->c_str(), "POCKET %*s y=%d", &y);
        if (y < 0)
            throw std::runtime_error("the program did not report its pocket");
        return y;
    }

    void pointer(const char* step, int x, int y) const { sway->input({ step, QString::number(x), QString::number(y) }); }

    // How many points of the row, along the edge, the program draws dark.
    int inkAlongTheEdge(int y) const
    {
        const QImage screen = sway->screenshot();
        int ink = 0;
        for (int x = SwaySession::width - 200; x < SwaySession::width; ++x)
            ink += QColor(screen.pixel(x, y)).value() < 128;
        return ink;
    }

    std::optional<SwaySession> sway;
    IsolatedHome home;
    std::unique_ptr<ChildProcess> window;
    std::unique_ptr<ChildProcess> program;
};

// XWayland gives an X window every click on it, whatever its input shape.
TEST_F(WaylandTest, ANativeWindowLeftOfTheEdgeReceivesClicksWhileTheProgramRuns)
{
    launchWithPocket();
    for (const int x : { 200, 1000 }) {
        pointer("click", x, 450);
        EXPECT_EQ(window->readLine(eventTimeout), QString("CLICK %1 450").arg(x).toStdString());
    }
}

TEST_F(WaylandTest, APocketHoldingItemsSwellsUnderThePointerAndKeepsItsClick)
{
    const int pocketY = launchWithPocket();
    const int idle = inkAlongTheEdge(pocketY);
    int moves = 0;
    EXPECT_TRUE(pollUntil([&] {
        pointer("move", edgeX - moves++ % 2, pocketY);
        return inkAlongTheEdge(pocketY) > idle + 5;
    }, eventTimeout)) << "the pocket swells from " << idle << " points";
    pointer("click", edgeX, pocketY);
    EXPECT_EQ(window->readLine(absenceWait), std::nullopt) << "the pocket keeps its click";
}

} // namespace
} // namespace kestrane::e2e
