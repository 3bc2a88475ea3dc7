#include "app/Keyboard.h"
#include "engine/EngineFixture.h"
#include "onboarding/Onboarding.h"
#include "platform/NotificationCenter.h"
#include "preferences/Preferences.h"
#include "preferences/XdgAutostartLoginItem.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class KeyboardTest : public EngineFixture {
protected:
    XdgAutostartLoginItem loginItem { "/usr/bin/kestrane", folder.path() };
    NotificationCenter notifications;
    Preferences prefs { defaults, loginItem, notifications, {} };
    Onboarding onboarding { defaults };
    int quits = 0;
    std::unique_ptr<Keyboard> keyboard;

    void SetUp() override
    {
        makeEngine();
        keyboard = std::make_unique<Keyboard>(*engine, prefs, onboarding,
            Keyboard::Actions { [this] { engine->setEditing(true); }, [this] { ++quits; } });
    }

};
} // namespace

TEST_F(KeyboardTest, TwoQuickControlTapsToggleEditModeAndAThirdStartsANewPair)
{
    // Modifier flags, when they changed, and whether edit mode is on afterwards. Too slow, or
    // with another modifier (Caps Lock included), is not a tap.
    const std::tuple<std::uint64_t, double, bool> changes[] = { { modifier::control, 10.0, false }, { 0, 10.1, false },
        { modifier::control, 10.2, true }, { modifier::control, 10.3, true }, { modifier::control, 10.5, false },
        { modifier::control, 20.0, false }, { modifier::control, 20.4, false },
        { modifier::control | modifier::shift, 20.5, false }, { modifier::control | modifier::capsLock, 20.6, false } };
    for (const auto& [flags, now, editing] : changes) {
        keyboard->modifiersChanged(flags, now);
        EXPECT_EQ(engine->state().isEditing, editing) << now;
    }
}

TEST_F(KeyboardTest, TheRecorderGetsKeysFirstEscapeClosesTheInnermostThingAndCommandQQuits)
{
    const KeyEvent escape { keyCode::escape, 0, "" };
    EXPECT_FALSE(keyboard->keyDown(escape));
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_EQ(std::tuple(engine->state().isShowingPreferences, engine->state().isEditing), std::tuple(false, true));
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_FALSE(engine->state().isEditing);

    onboarding.start();
    engine->setEditing(true);
    EXPECT_TRUE(keyboard->keyDown(escape));
    EXPECT_NE(onboarding.phase(), OnboardingPhase::teaching);
    EXPECT_TRUE(engine->state().isEditing) << "the introduction was closed, not edit mode";

    // The shortcut recorder gets keys first; Command-Q quits.
    prefs.beginRecordingShortcut();
    EXPECT_TRUE(keyboard->keyDown(KeyEvent { keyCode::q, modifier::command, "q" }));
    EXPECT_EQ(quits, 0) << "recording takes the key";
    prefs.stopRecordingShortcut();

    EXPECT_TRUE(keyboard->keyDown(KeyEvent { keyCode::q, modifier::command | modifier::shift, "Q" }));
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(keyboard->keyDown(KeyEvent { keyCode::q, 0, "q" }));
    EXPECT_EQ(quits, 1);
}
