#include "EndToEndTest.h"

#include <QColor>
#include <QRegularExpression>

#include <xcb/xcb.h>

#include <fstream>

namespace kestrane::e2e {
namespace {

class DesktopTest : public EndToEndTest {
protected:
    // A real terminal that writes what is typed into it to `typed`.
    std::unique_ptr<ChildProcess> terminal(const QStringList& options)
    {
        auto process = std::make_unique<ChildProcess>(QStringList { "xterm", "-bg", "white" } + options
                + QStringList { "-e", "sh", "-c", "cat > \"$0\"", QString::fromStdString(typed) },
            home.environment(display.name()), ChildProcess::Diagnostics::discarded);
        if (!pollUntil([&] { return std::filesystem::exists(typed); }, startTimeout))
            throw std::runtime_error("xterm did not start");
        std::this_thread::sleep_for(milliseconds(500));
        return process;
    }

    std::string typedText() const
    {
        std::ifstream file(typed);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    void keys(const QString& text) { display.xdotool({ "type", "--delay", "20", text }); }
    void shortcut() { display.xdotool({ "key", "ctrl+alt+d", "sleep", "0.6" }); }

    std::filesystem::path typed = home.root() / "typed.txt";
};

bool answers(const std::string& displayName)
{
    if (displayName.size() < 2)
        return false;
    xcb_connection_t* connection = xcb_connect(displayName.c_str(), nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

TEST_F(DesktopTest, TypingReachesTheUsersWindowAgainWhenEditModeOrTheDrawerCloses)
{
    auto xterm = terminal({ "-geometry", "80x10+100+100" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });
    pointer.click(300, 150);
    keys("one ");
    shortcut();
    shortcut();
    keys("two ");
    ASSERT_TRUE(clickPocket(pocketY));
    std::this_thread::sleep_for(milliseconds(600));
    pointer.click(700, 600); // the drawer's backdrop takes this click and closes it
    std::this_thread::sleep_for(milliseconds(600));
    keys("three\n");
    EXPECT_TRUE(pollUntil([&] { return typedText() == "one two three\n"; }, eventTimeout)) << typedText();
}

TEST_F(DesktopTest, AFocusedFullScreenWindowDoesNotCoverAPocketHoldingItems)
{
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });
    auto xterm = terminal({ "-fullscreen" });
    pointer.click(700, 450);
    std::this_thread::sleep_for(milliseconds(600));
    const QImage screen = display.screenshot();
    EXPECT_GT(QColor(screen.pixel(700, 450)).value(), 200) << "the terminal fills the screen";
    EXPECT_LT(QColor(screen.pixel(XvfbDisplay::width - 2, pocketY)).value(), 80) << "the pocket is drawn above it";
}

// Without a compositor the translucent overlay cannot be blended: it must show nothing but
// what it draws, and where it covers the screen in edit mode, what lies behind it.
TEST_F(DesktopTest, WithoutACompositorTheDesktopShowsEverywhereButOnTheBulges)
{
    display.setCompositing(false);
    auto white = launchPeer({ "clicks" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });
    // Edit mode dims what it shows behind (to about 180 of 255) and draws its controls
    // along the bottom and its rows beside the edge.
    const auto expectDesktopAndPocket = [&](const char* when, int lightest = 200, int height = XvfbDisplay::height,
                                            int width = XvfbDisplay::width - 60) {
        std::this_thread::sleep_for(milliseconds(800));
        const QImage screen = display.screenshot();
        int darkLeftOfTheEdge = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                darkLeftOfTheEdge += QColor(screen.pixel(x, y)).value() < lightest;
        EXPECT_EQ(darkLeftOfTheEdge, 0) << when;
        EXPECT_LT(QColor(screen.pixel(XvfbDisplay::width - 2, pocketY)).value(), 80) << when;
    };
    expectDesktopAndPocket("without a compositor");
    shortcut();
    expectDesktopAndPocket("in edit mode", 150, XvfbDisplay::height - 120, XvfbDisplay::width - 400);
    pointer.click(700, 450);
    EXPECT_EQ(white->readLine(absenceWait), std::nullopt) << "edit mode takes every click, and leaves on this one";
    display.setCompositing(true);
    expectDesktopAndPocket("once a compositor runs");
    display.setCompositing(false);
    expectDesktopAndPocket("once it stopped");
}

// Xephyr, unlike Xvfb, can change its screen mode through RandR. At rest the overlay is a
// band along the right edge of the screen.
TEST_F(DesktopTest, AScreenModeChangeMovesTheEdgeWithTheScreen)
{
    // A nested server starting beside the other tests' servers now and then goes away
    // right after announcing its display, before the program could connect: such a start
    // is tried again, server and program, until the overlay shows.
    std::unique_ptr<ChildProcess> nested;
    std::string nestedName;
    // xwininfo lists the overlay as: 0x200006 "Kestrane": ("kestrane" "Kestrane")  1440x900+0+0  +0+0
    const auto overlaySize = [&] {
        ChildProcess query({ "xwininfo", "-root", "-tree" }, home.environment(nestedName));
        const QRegularExpression overlay(R"(\("kestrane" .*\)\s+(\S+))");
        for (std::optional<std::string> line; (line = query.readLine(eventTimeout));)
            if (const auto match = overlay.match(QString::fromStdString(*line)); match.hasMatch())
                return match.captured(1).toStdString();
        return std::string();
    };
    std::string size;
    for (int attempt = 0; attempt < 3 && size.empty(); ++attempt) {
        program.reset();
        nested = std::make_unique<ChildProcess>(
            QStringList { "Xephyr", "-displayfd", "1", "-screen", "1024x768", "-resizeable", "-nolisten", "tcp" },
            home.environment(display.name()), ChildProcess::Diagnostics::discarded);
        nestedName = std::string(":").append(nested->readLine(startTimeout).value_or(""));
        if (!answers(nestedName))
            continue;
        program = launch({}, nestedName);
        pollUntil([&] { return !(size = overlaySize()).empty(); }, startTimeout);
    }
    EXPECT_TRUE(pollUntil([&] { return (size = overlaySize()) == "160x768+864+0"; }, startTimeout)) << size;
    ChildProcess xrandr({ "xrandr", "--output", "default", "--mode", "800x600" }, home.environment(nestedName));
    ASSERT_EQ(xrandr.waitForExit(eventTimeout), 0);
    EXPECT_TRUE(pollUntil([&] { return (size = overlaySize()) == "160x600+640+0"; }, eventTimeout)) << size;
    program.reset(); // before its X server goes
}

} // namespace
} // namespace kestrane::e2e
