#include "app/KeyFocus.h"
#include "app/Keyboard.h"
#include "engine/EngineWithPreferences.h"

using namespace kestrane;
using namespace kestrane::testing;
using Focus = KeyFocus::Action;

namespace {
class KeyboardTest : public EngineWithPreferences {
protected:
    int quits = 0;
    std::unique_ptr<Keyboard> keyboard;
    Dropzone pocket;

    void SetUp() override
    {
        pocket = startWithOnePocket(2);
        keyboard = std::make_unique<Keyboard>(
            *engine, prefs, introduction, Keyboard::Actions { [this] { engine->setEditing(true); }, [this] { ++quits; } });
    }
};
} // namespace

TEST_F(KeyboardTest, OnlyTwoQuickLoneControlPressesToggleEditMode)
{
    // Modifier flags and when they changed; `other` is another key or a button going down.
    constexpr std::uint64_t ctrl = modifier::control, alt = modifier::alt, caps = modifier::capsLock, other = ~0ull;
    const std::tuple<const char*, std::vector<std::pair<std::uint64_t, double>>, bool> cases[] = {
        { "double tap", { { ctrl, 1.0 }, { 0, 1.1 }, { ctrl, 1.2 }, { 0, 1.3 } }, true },
        { "a third tap starts a new pair", { { ctrl, 1.0 }, { 0, 1.1 }, { ctrl, 1.2 }, { 0, 1.3 }, { ctrl, 1.4 }, { 0, 1.5 } }, true },
        { "slow pair", { { ctrl, 1.0 }, { 0, 1.1 }, { ctrl, 1.4 }, { 0, 1.5 } }, false },
        { "Ctrl+C, Ctrl+V", { { ctrl, 1.0 }, { other, 1.05 }, { 0, 1.1 }, { ctrl, 1.2 }, { other, 1.25 }, { 0, 1.3 } }, false },
        { "Ctrl+Alt+D twice, then a double tap",
            { { ctrl, 1.0 }, { ctrl | alt, 1.02 }, { other, 1.04 }, { ctrl, 1.06 }, { 0, 1.08 }, { ctrl, 1.2 }, { ctrl | alt, 1.22 },
                { other, 1.24 }, { alt, 1.26 }, { 0, 1.28 }, { ctrl, 1.4 }, { 0, 1.45 }, { ctrl, 1.5 }, { 0, 1.55 } },
            true },
        { "Caps Lock on", { { caps, 1.0 }, { ctrl | caps, 1.1 }, { caps, 1.15 }, { ctrl | caps, 1.2 }, { caps, 1.25 } }, false },
        { "a button during the second tap", { { ctrl, 1.0 }, { 0, 1.05 }, { ctrl, 1.1 }, { other, 1.15 }, { 0, 1.2 } }, false },
        { "a key between the taps", { { ctrl, 1.0 }, { 0, 1.05 }, { other, 1.1 }, { ctrl, 1.15 }, { 0, 1.2 } }, false },
    };
    for (const auto& [name, changes, editing] : cases) {
        engine->setEditing(false);
        Keyboard keys(*engine, prefs, introduction, { [this] { engine->setEditing(true); }, {} });
        for (const auto& [flags, now] : changes)
            flags == other ? keys.otherInputPressed() : keys.modifiersChanged(flags, now);
        EXPECT_EQ(engine->state().isEditing, editing) << name;
    }
}

TEST_F(KeyboardTest, TheRecorderGetsKeysFirstEscapeClosesTheInnermostThingAndSuperQQuits)
{
    const KeyEvent escape { keyCode::escape, 0, "" };
    EXPECT_FALSE(keyboard->keyDown(escape));
    const auto open = [&] { return std::tuple(engine->state().isShowingPreferences, engine->state().isEditing, engine->state().wantsOpen); };
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_EQ(open(), std::tuple(false, true, false));
    engine->openDrawer(pocket.id);
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_EQ(open(), std::tuple(false, false, true));
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_EQ(open(), std::tuple(false, false, false));

    introduction.start();
    engine->setEditing(true);
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_NE(introduction.phase(), IntroductionPhase::teaching);
    EXPECT_TRUE(engine->state().isEditing) << "the introduction was closed, not edit mode";

    // The shortcut recorder gets keys first; Super+Q quits.
    prefs.beginRecordingShortcut();
    EXPECT_TRUE(keyboard->keyDown(KeyEvent { keyCode::q, modifier::super, "q" }));
    EXPECT_EQ(quits, 0) << "recording takes the key";
    prefs.stopRecordingShortcut();

    EXPECT_TRUE(keyboard->keyDown(KeyEvent { keyCode::q, modifier::super | modifier::shift, "Q" }));
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(keyboard->keyDown(KeyEvent { keyCode::q, 0, "q" }));
    EXPECT_EQ(quits, 1);
}

TEST(KeyFocus, TakenForWhatNeedsKeysRetakenWhileNeededAndGivenBackAfter)
{
    // Edit mode, an open drawer, whether the overlay has the focus, the time, and what to do.
    const std::tuple<bool, bool, bool, double, Focus> frames[] = {
        { false, false, false, 0.0, Focus::none },
        { false, true, false, 1.0, Focus::take },
        { false, true, false, 2.0, Focus::retake }, // a window mapped over an open drawer
        { true, true, true, 2.1, Focus::none },
        { true, false, true, 2.2, Focus::none }, // still wanted for edit mode
        { true, false, false, 2.375, Focus::retake },
        { true, false, false, 2.625, Focus::none }, // too soon: just the interval after the last attempt
        { true, false, false, 2.65, Focus::retake },
        { false, false, true, 2.7, Focus::handBack },
        { false, false, true, 2.8, Focus::none },
        { false, false, true, 3.0, Focus::handBack }, // focus that came uninvited
        { false, false, false, 4.0, Focus::none },
    };
    KeyFocus focus;
    for (const auto& [editing, drawer, hasFocus, now, expected] : frames)
        EXPECT_EQ(focus.sync({ editing, drawer, false, hasFocus, now }), expected) << now;
}
