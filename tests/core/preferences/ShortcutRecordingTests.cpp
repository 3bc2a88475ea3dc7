#include "PreferencesFixture.h"

using namespace kestrane;

namespace {
constexpr std::uint16_t keyA = 0;
using ShortcutRecordingTest = kestrane::testing::PreferencesTest;
} // namespace

TEST_F(ShortcutRecordingTest, SwallowsShiftAloneAndCommandQUntilEscapeCancelsOrACombinationIsRecorded)
{
    open().beginRecordingShortcut();
    steps = changes = 0;
    // Caps Lock may be held too; it is never part of the shortcut.
    for (std::uint64_t swallowed : { modifier::shift, modifier::command | modifier::capsLock })
        EXPECT_TRUE(preferences->recordShortcut({ keyCode::q, swallowed, "q" }));
    EXPECT_EQ(steps + changes, 0);
    // Escape cancels whatever modifiers are held; keys then pass through.
    EXPECT_TRUE(preferences->recordShortcut({ keyCode::escape, modifier::control, "\x1b" }));
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(preferences->recordShortcut({ keyA, modifier::control, "a" }));
    EXPECT_EQ(preferences->shortcut(), Shortcut::standard());
    EXPECT_EQ(shortcutPosts + defaults.writeCount(), 0);

    preferences->beginRecordingShortcut();
    changes = 0;
    EXPECT_TRUE(preferences->recordShortcut({ keyA, modifier::control | modifier::shift | modifier::capsLock, "a" }));
    const Shortcut expected { keyA, modifier::control | modifier::shift, "A" };
    EXPECT_EQ(preferences->shortcut(), expected);
    EXPECT_FALSE(preferences->isRecordingShortcut());
    EXPECT_EQ(shortcutPosts + changes, 2);
    open();
    EXPECT_EQ(preferences->shortcut(), expected);

    // With Option, Command-Q is a shortcut; the same one again is announced again, so a
    // taken hot key can be retried.
    for (int twice = 0; twice < 2; ++twice) {
        preferences->beginRecordingShortcut();
        EXPECT_TRUE(preferences->recordShortcut({ keyCode::q, modifier::option | modifier::command, "q" }));
    }
    EXPECT_EQ(preferences->shortcut(), (Shortcut { keyCode::q, modifier::option | modifier::command, "Q" }));
    EXPECT_EQ(shortcutPosts, 3);
}

TEST_F(ShortcutRecordingTest, LabelsNameTheKeyReadablyAfterTheModifiersInAFixedOrder)
{
    open().beginRecordingShortcut();
    const std::uint64_t all = modifier::command | modifier::shift | modifier::option | modifier::control;
    EXPECT_EQ((Shortcut { 40, all, "K" }).display(), "Ctrl+Alt+Shift+Super+K");
    // The last four have no readable character: whitespace only, none at all, a control
    // character, bad UTF-8.
    const std::tuple<std::uint16_t, std::string, std::string> keys[] = { { 49, " ", "Space" }, { 96, "\xEF\x9C\x88", "F5" },
        { keyA, " a\n", "A" }, { 14, "é", "É" }, { 50, " \t", "Key 50" }, { 50, "", "Key 50" }, { 50, "\x03", "Key 50" }, { 50, "\xC3", "Key 50" } };
    for (const auto& [key, characters, label] : keys) {
        EXPECT_TRUE(preferences->recordShortcut({ key, modifier::control, characters }));
        EXPECT_EQ(preferences->shortcut().label, label) << characters;
        preferences->beginRecordingShortcut();
    }
}
