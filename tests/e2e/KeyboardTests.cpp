#include "EndToEndTest.h"

#include <QStandardPaths>

namespace kestrane::e2e {
namespace {

class KeyboardTest : public EndToEndTest {
protected:
    // In edit mode the overlay takes clicks on the whole screen; otherwise a click on bare
    // screen reaches the window below.
    bool clickReachesPeer(ChildProcess& peer, milliseconds wait) { return clickReaches(peer, { 700, 450 }, wait); }

    // Two lone presses of Control, a tenth of a second apart as a hand taps.
    void doubleTapControl() const
    {
        display.xdotool({ "keydown", "Control_L", "keyup", "Control_L", "sleep", "0.1", "keydown", "Control_L", "keyup", "Control_L" });
    }
};

TEST_F(KeyboardTest, OnlyTwoLoneControlPressesAndTheShortcutOnItsKeyToggleEditMode)
{
    auto peer = launchPeer({ "clicks" });
    launchWithDesk({});
    // The click gives the peer the keyboard focus, so that copy and paste go to it.
    ASSERT_TRUE(clickReachesPeer(*peer, eventTimeout));

    // Two Control presses as quick as a double tap, but with other keys; then time for edit
    // mode to open, which it must not.
    display.xdotool({ "key", "ctrl+c", "sleep", "0.05", "key", "ctrl+v", "sleep", "0.6" });
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "copy and paste leave edit mode closed";

    // The shortcut opens edit mode and closes it again; Control is not left held after it.
    display.xdotool({ "key", "ctrl+alt+d" });
    ASSERT_TRUE(awaitBackdrop(true));
    display.xdotool({ "key", "ctrl+alt+d" });
    ASSERT_TRUE(awaitBackdrop(false));
    doubleTapControl();
    EXPECT_TRUE(awaitBackdrop(true)) << "the double tap opens edit mode, whose backdrop takes the clicks";
    // Apart from the last, the next two taps are a double tap of their own.
    display.xdotool({ "sleep", "0.4" });
    doubleTapControl();
    EXPECT_TRUE(awaitBackdrop(false)) << "and closes it";

    display.xdotool({ "key", "Caps_Lock" });
    doubleTapControl();
    // Time for edit mode to open, which it must not.
    display.xdotool({ "sleep", "0.6" });
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "Caps Lock on blocks the double tap";

    // The shortcut follows its key to another key code. Dvorak puts "d" on the key code of US
    // "h"; xdotool types by symbol, so on the new one.
    display.xdotool({ "key", "Caps_Lock" });
    ChildProcess layout({ "setxkbmap", "us", "-variant", "dvorak" }, home.environment(display.name()));
    ASSERT_EQ(layout.waitForExit(eventTimeout), 0);
    // The program follows the change (and the one more the test keyboard's next key makes)
    // within a moment that shows nowhere: the shortcut is pressed until edit mode opens.
    EXPECT_TRUE(pollUntil(
        [&] {
            display.xdotool({ "key", "ctrl+alt+d" });
            return awaitBackdrop(true, milliseconds(2000));
        },
        eventTimeout))
        << "the shortcut opens edit mode on its new key code";
}

// An open drawer takes the keyboard: Control-V in it adds the copied file. A window that
// maps over it takes the focus; the drawer takes it back, so Escape still closes it.
TEST_F(KeyboardTest, AnOpenDrawerPastesAndKeepsTheKeyboardWhenAWindowMaps)
{
    if (QStandardPaths::findExecutable("xclip").isEmpty())
        KESTRANE_CANNOT_RUN("xclip is not installed");
    const int pocketY = launchWithDesk({ "--seed-pocket", "1" });
    const std::string uri = "file://" + file("copied.txt").toStdString();
    ChildProcess copy({ "sh", "-c", QString::fromStdString("printf '%s\\r\\n' '" + uri + "' | xclip -selection clipboard -t text/uri-list") },
        home.environment(display.name()));
    ASSERT_EQ(copy.waitForExit(eventTimeout), 0);
    ASSERT_TRUE(clickPocket(pocketY));
    pointer.moveTo(XvfbDisplay::width - 100, pocketY);
    ASSERT_TRUE(awaitFocus(*program)) << "the open drawer takes the keyboard";
    display.xdotool({ "key", "ctrl+v" });
    ASSERT_TRUE(pollUntil([&] { return home.items(desk.id).size() == 2; }, eventTimeout));
    EXPECT_EQ(home.items(desk.id)[1].name, "copied.txt");

    auto peer = launchPeer({ "clicks" });
    ASSERT_TRUE(awaitFocus(*program)) << "and takes it back from the window";
    display.xdotool({ "key", "Escape" });
    EXPECT_TRUE(pollUntil([&] { return display.processWithFocus() != program->pid(); }, eventTimeout)) << "Escape hands it back";
    EXPECT_TRUE(clickReachesPeer(*peer, eventTimeout)) << "Escape closed the drawer, whose backdrop takes clicks";
}

} // namespace
} // namespace kestrane::e2e
