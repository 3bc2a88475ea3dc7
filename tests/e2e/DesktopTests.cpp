#include "EndToEndTest.h"

#include <QColor>
#include <QRegularExpression>

#include <xcb/xcb.h>

#include <fstream>

namespace kestrane::e2e {
namespace {

class DesktopTest : public EndToEndTest {
protected:
    // A real terminal that writes what is typed into it to `typed`, once its white shows at `inside`.
    std::unique_ptr<ChildProcess> terminal(const QStringList& options, QPoint inside)
    {
        auto process = std::make_unique<ChildProcess>(QStringList { "xterm", "-bg", "white" } + options
                + QStringList { "-e", "sh", "-c", "cat > \"$0\"", QString::fromStdString(typed) },
            home.environment(display.name()), ChildProcess::Diagnostics::discarded);
        if (!pollUntil(
                [&] { return std::filesystem::exists(typed) && QColor(display.screenshot().pixel(inside)).value() > 200; }, startTimeout))
            throw std::runtime_error("xterm did not start");
        return process;
    }

    std::string typedText() const
    {
        std::ifstream file(typed);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    void keys(const QString& text) { display.xdotool({ "type", "--delay", "20", text }); }
    void shortcut() { display.xdotool({ "key", "ctrl+alt+d" }); }
    // Once the backdrop is gone and the focus is back in the terminal, typing reaches it.
    bool typingReaches(const ChildProcess& terminal) { return awaitBackdrop(false) && awaitFocus(terminal); }

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
    auto xterm = terminal({ "-geometry", "80x10+100+100" }, { 300, 150 });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });
    pointer.click(300, 150);
    ASSERT_TRUE(awaitFocus(*xterm));
    keys("one ");
    shortcut();
    ASSERT_TRUE(awaitBackdrop(true)) << "edit mode opens";
    shortcut();
    ASSERT_TRUE(typingReaches(*xterm)) << "edit mode closed";
    keys("two ");
    ASSERT_TRUE(clickPocket(pocketY));
    ASSERT_TRUE(awaitBackdrop(true)) << "the drawer opens";
    pointer.click(700, 600); // the drawer's backdrop takes this click and closes it
    ASSERT_TRUE(typingReaches(*xterm)) << "the drawer closed";
    keys("three\n");
    EXPECT_TRUE(pollUntil([&] { return typedText() == "one two three\n"; }, eventTimeout)) << typedText();
}

TEST_F(DesktopTest, AFocusedFullScreenWindowDoesNotCoverAPocketHoldingItems)
{
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });
    auto xterm = terminal({ "-fullscreen" }, { 700, 450 });
    pointer.click(700, 450);
    ASSERT_TRUE(awaitFocus(*xterm)) << "the click focuses the terminal, which the window manager raises";
    QImage screen;
    pollUntil([&] { return QColor((screen = display.screenshot()).pixel(XvfbDisplay::width - 2, pocketY)).value() < 80; }, eventTimeout);
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
        int darkLeftOfTheEdge = 0, pocket = 0;
        pollUntil(
            [&] {
                const QImage screen = display.screenshot();
                darkLeftOfTheEdge = countPixels(screen, QRect(0, 0, width, height), [&](QRgb p) { return QColor(p).value() < lightest; });
                pocket = QColor(screen.pixel(XvfbDisplay::width - 2, pocketY)).value();
                // In edit mode, also until the dimmed picture shows.
                return darkLeftOfTheEdge == 0 && pocket < 80 && (lightest == 200 || QColor(screen.pixel(700, 450)).value() < 230);
            },
            eventTimeout);
        EXPECT_EQ(darkLeftOfTheEdge, 0) << when;
        EXPECT_LT(pocket, 80) << when;
    };
    expectDesktopAndPocket("without a compositor");
    shortcut();
    ASSERT_TRUE(awaitBackdrop(true)) << "edit mode opens";
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
