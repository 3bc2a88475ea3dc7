#include "PreferencesFixture.h"

#include "preferences/KeyEvent.h"

using namespace kestrane;

namespace {
constexpr std::uint16_t keyA = 0;
constexpr std::uint16_t keyE = 14;
constexpr std::uint16_t keyBackquote = 50;

class ShortcutRecordingTest : public kestrane::testing::PreferencesTest {
protected:
    void SetUp() override
    {
        open();
        preferences->beginRecordingShortcut();
        steps = changes = 0;
    }

    // Records one key press with Control and answers the label it got.
    std::string labelFor(std::uint16_t keyCode, std::string characters)
    {
        if (!preferences->isRecordingShortcut())
            preferences->beginRecordingShortcut();
        EXPECT_TRUE(preferences->recordShortcut({ keyCode, modifier::control, std::move(characters) }));
        return preferences->shortcut().label;
    }
};
} // namespace

TEST(ShortcutTest, DisplayPutsTheModifierSymbolsInAFixedOrderBeforeTheLabel)
{
    const std::uint64_t all = modifier::command | modifier::shift | modifier::option | modifier::control;
    EXPECT_EQ((Shortcut { 40, all, "K" }).display(), "⌃⌥⇧⌘K");
}

TEST_F(ShortcutRecordingTest, EscapeCancelsWhateverModifiersAreHeldAndKeysThenPassThrough)
{
    EXPECT_TRUE(preferences->recordShortcut({ keyCode::escape, modifier::control, "\x1b" }));
    EXPECT_FALSE(preferences->isRecordingShortcut());
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(preferences->recordShortcut({ keyA, modifier::control, "a" }));
    EXPECT_EQ(preferences->shortcut(), Shortcut::standard());
    EXPECT_EQ(shortcutPosts, 0);
    EXPECT_EQ(defaults.writeCount(), 0);
}

TEST_F(ShortcutRecordingTest, ShiftAloneIsSwallowedUntilARealCombinationIsRecordedAndStored)
{
    EXPECT_TRUE(preferences->recordShortcut({ keyA, modifier::shift, "a" }));
    EXPECT_TRUE(preferences->isRecordingShortcut());
    EXPECT_EQ(steps + changes, 0);

    // Caps Lock is held too; it is not part of the shortcut.
    EXPECT_TRUE(preferences->recordShortcut({ keyA, modifier::control | modifier::shift | modifier::capsLock, "a" }));
    const Shortcut expected { keyA, modifier::control | modifier::shift, "A" };
    EXPECT_EQ(preferences->shortcut(), expected);
    EXPECT_EQ(preferences->shortcut().display(), "⌃⇧A");
    EXPECT_FALSE(preferences->isRecordingShortcut());
    EXPECT_EQ(shortcutPosts, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(defaults.integerValue(Preferences::shortcutModifiersKey), std::int64_t(modifier::control | modifier::shift));

    open();
    EXPECT_EQ(preferences->shortcut(), expected);
}

TEST_F(ShortcutRecordingTest, CommandQIsSwallowedButOptionCommandQIsRecordedAndEachRecordingAnnounced)
{
    EXPECT_TRUE(preferences->recordShortcut({ keyCode::q, modifier::command | modifier::capsLock, "q" }));
    EXPECT_TRUE(preferences->isRecordingShortcut());
    EXPECT_EQ(shortcutPosts, 0);

    EXPECT_TRUE(preferences->recordShortcut({ keyCode::q, modifier::option | modifier::command, "q" }));
    EXPECT_EQ(preferences->shortcut().display(), "⌥⌘Q");
    // The same combination again is announced again, so a taken hot key can be retried.
    preferences->beginRecordingShortcut();
    preferences->recordShortcut({ keyCode::q, modifier::option | modifier::command, "q" });
    EXPECT_EQ(shortcutPosts, 2);
}

TEST_F(ShortcutRecordingTest, LabelsNameTheKeyReadably)
{
    EXPECT_EQ(labelFor(49, " "), "Space");
    EXPECT_EQ(preferences->shortcut().display(), "⌃Space");
    EXPECT_EQ(labelFor(96, "\xEF\x9C\x88"), "F5");
    EXPECT_EQ(labelFor(keyA, " a\n"), "A");
    EXPECT_EQ(labelFor(keyE, "é"), "É");
    // No readable character: whitespace only, none at all, a control character, bad UTF-8.
    EXPECT_EQ(labelFor(keyBackquote, " \t"), "Key 50");
    EXPECT_EQ(labelFor(keyBackquote, ""), "Key 50");
    EXPECT_EQ(labelFor(76, "\x03"), "Key 76");
    EXPECT_EQ(labelFor(keyBackquote, "\xC3"), "Key 50");
}
