#include "app/Keyboard.h"
#include "engine/EngineFixture.h"
#include "onboarding/Onboarding.h"
#include "platform/NotificationCenter.h"
#include "preferences/LoginItemService.h"
#include "preferences/Preferences.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
struct NoLoginItem final : LoginItemService {
    LoginState status() const override { return LoginState::off(); }
    std::optional<LoginItemFailure> registerItem() override { return std::nullopt; }
    std::optional<LoginItemFailure> unregisterItem() override { return std::nullopt; }
};

class KeyboardTest : public EngineFixture {
protected:
    NoLoginItem loginItem;
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

    static KeyEvent key(std::uint16_t code, std::uint64_t flags = 0, std::string characters = "")
    {
        return { code, flags, std::move(characters) };
    }
};
} // namespace

TEST_F(KeyboardTest, TwoQuickControlTapsToggleEditModeAndAThirdStartsANewPair)
{
    keyboard->modifiersChanged(modifier::control, 10.0);
    keyboard->modifiersChanged(0, 10.1);
    keyboard->modifiersChanged(modifier::control, 10.2);
    EXPECT_TRUE(engine->state().isEditing);
    keyboard->modifiersChanged(modifier::control, 10.3);
    EXPECT_TRUE(engine->state().isEditing);
    keyboard->modifiersChanged(modifier::control, 10.5);
    EXPECT_FALSE(engine->state().isEditing);

    // Too slow, or with another modifier (Caps Lock included), is not a tap.
    keyboard->modifiersChanged(modifier::control, 20.0);
    keyboard->modifiersChanged(modifier::control, 20.4);
    EXPECT_FALSE(engine->state().isEditing);
    keyboard->modifiersChanged(modifier::control | modifier::shift, 20.5);
    keyboard->modifiersChanged(modifier::control | modifier::capsLock, 20.6);
    EXPECT_FALSE(engine->state().isEditing);
}

TEST_F(KeyboardTest, EscapeClosesTheInnermostThingFirst)
{
    EXPECT_FALSE(keyboard->keyDown(key(keyCode::escape)));
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_TRUE(keyboard->keyDown(key(keyCode::escape)));
    EXPECT_FALSE(engine->state().isShowingPreferences);
    EXPECT_TRUE(engine->state().isEditing);
    EXPECT_TRUE(keyboard->keyDown(key(keyCode::escape)));
    EXPECT_FALSE(engine->state().isEditing);

    onboarding.start();
    engine->setEditing(true);
    EXPECT_TRUE(keyboard->keyDown(key(keyCode::escape)));
    EXPECT_NE(onboarding.phase(), OnboardingPhase::teaching);
    EXPECT_TRUE(engine->state().isEditing) << "the introduction was closed, not edit mode";
}

TEST_F(KeyboardTest, TheRecorderGetsKeysFirstAndCommandQQuits)
{
    prefs.beginRecordingShortcut();
    EXPECT_TRUE(keyboard->keyDown(key(keyCode::q, modifier::command, "q")));
    EXPECT_EQ(quits, 0) << "recording takes the key";
    prefs.stopRecordingShortcut();

    EXPECT_TRUE(keyboard->keyDown(key(keyCode::q, modifier::command | modifier::shift, "Q")));
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(keyboard->keyDown(key(keyCode::q, 0, "q")));
    EXPECT_EQ(quits, 1);
}
