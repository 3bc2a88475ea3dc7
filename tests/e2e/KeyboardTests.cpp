#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

class KeyboardTest : public EndToEndTest {
protected:
    // In edit mode the overlay takes clicks on the whole screen; otherwise a click on bare
    // screen reaches the window below.
    bool clickReachesPeer(ChildProcess& peer, milliseconds wait) { return clickReaches(peer, { 700, 450 }, wait); }

    void doubleTapControl() const
    {
        display.xdotool(
            { "keydown", "Control_L", "keyup", "Control_L", "sleep", "0.1", "keydown", "Control_L", "keyup", "Control_L", "sleep", "0.3" });
    }
};

TEST_F(KeyboardTest, OnlyTwoLoneControlPressesToggleEditMode)
{
    auto peer = launchPeer({ "clicks" });
    launchWithDesk({});
    // The click gives the peer the keyboard focus, so that copy and paste go to it.
    ASSERT_TRUE(clickReachesPeer(*peer, eventTimeout));

    display.xdotool({ "key", "ctrl+c", "sleep", "0.05", "key", "ctrl+v", "sleep", "0.3" });
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "copy and paste leave edit mode closed";

    // The shortcut opens edit mode and closes it again; Control is not left held after it.
    display.xdotool({ "key", "ctrl+alt+d", "sleep", "0.5", "key", "ctrl+alt+d", "sleep", "0.5" });
    doubleTapControl();
    EXPECT_FALSE(clickReachesPeer(*peer, absenceWait)) << "the double tap opens edit mode, whose backdrop takes the click";
    doubleTapControl();
    display.xdotool({ "sleep", "0.4" });
    doubleTapControl();
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "and closes it";

    display.xdotool({ "key", "Caps_Lock" });
    doubleTapControl();
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "Caps Lock on blocks the double tap";
}

// A window that maps over an open drawer takes the focus; the drawer takes it back, so
// Escape still closes it.
TEST_F(KeyboardTest, AnOpenDrawerKeepsTheKeyboardWhenAWindowMaps)
{
    const int pocketY = launchWithDesk({ "--seed-pocket", "1" });
    ASSERT_TRUE(clickPocket(pocketY));
    pointer.moveTo(XvfbDisplay::width - 100, pocketY);
    auto peer = launchPeer({ "clicks" });
    display.xdotool({ "sleep", "0.6", "key", "Escape", "sleep", "0.4" });
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "Escape closed the drawer, whose backdrop takes clicks";
}

TEST_F(KeyboardTest, ShortcutFollowsItsKeyToAnotherKeyCode)
{
    auto peer = launchPeer({ "clicks" });
    launchWithDesk({});
    ASSERT_TRUE(clickReachesPeer(*peer, eventTimeout));
    // Dvorak puts "d" on the key code of US "h"; xdotool types by symbol, so on the new one.
    ChildProcess layout({ "setxkbmap", "us", "-variant", "dvorak" }, home.environment(display.name()));
    ASSERT_EQ(layout.waitForExit(eventTimeout), 0);
    // The first key typed through the test's keyboard device switches the server to that
    // device's key map, one more keymap change, which the program follows within a moment.
    display.xdotool({ "sleep", "0.3", "key", "shift", "sleep", "0.5", "key", "ctrl+alt+d", "sleep", "0.5" });
    EXPECT_FALSE(clickReachesPeer(*peer, absenceWait)) << "the shortcut opens edit mode";
}

} // namespace
} // namespace kestrane::e2e
