#include "PreferencesFixture.h"
#include "StderrOf.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;

TEST_F(PreferencesTest, AFirstLaunchHasTheDefaultsAndWritesNothingThenStoredSettingsAreReadBack)
{
    int stepsAtCreation = 0;
    const Preferences fresh(defaults, loginItems, notifications, [&] { ++stepsAtCreation; });
    EXPECT_FALSE(fresh.wantsOpenAtLogin());
    EXPECT_EQ(fresh.shortcut(), (Shortcut { 2, modifier::control | modifier::option, "D" }));
    EXPECT_EQ(stepsAtCreation, 1);
    EXPECT_EQ(defaults.writeCount(), 0);

    defaults.setBool(Preferences::hapticsKey, false);
    defaults.setBool(Preferences::blurWholeScreenKey, false);
    defaults.setBool(Preferences::openAtLoginKey, true);
    defaults.setInteger(Preferences::shortcutKeyCodeKey, 40);
    defaults.setInteger(Preferences::shortcutModifiersKey, modifier::command | modifier::shift | modifier::capsLock);
    defaults.setString(Preferences::shortcutLabelKey, "K");
    loginItems.registerItem();
    open();
    EXPECT_FALSE(preferences->hapticsEnabled() || preferences->blurWholeScreen());
    EXPECT_TRUE(preferences->wantsOpenAtLogin());
    EXPECT_EQ(preferences->loginState(), LoginState::on());
    EXPECT_EQ(preferences->shortcut(), (Shortcut { 40, modifier::command | modifier::shift, "K" }));
}

TEST_F(PreferencesTest, AnUnusableStoredShortcutFallsBackToTheDefaultAndIsLeftAsStored)
{
    using Number = std::optional<std::int64_t>;
    const std::int64_t control = modifier::control;
    // Key code, modifiers, label. A bare key, or Shift and a key (the last two), would
    // swallow typing on the whole desktop.
    const std::tuple<Number, Number, std::optional<std::string>> cases[] = { { 40, control, std::nullopt }, { 40, control, "" }, { 40, control, "  " },
        { std::nullopt, control, "K" }, { 70000, control, "K" }, { -1, control, "K" }, { 40, -1, "K" },
        { 40, std::nullopt, "K" }, { 40, std::int64_t(modifier::shift), "K" } };
    for (const auto& [keyCode, modifiers, label] : cases) {
        defaults = MemoryDefaults();
        if (keyCode)
            defaults.setInteger(Preferences::shortcutKeyCodeKey, *keyCode);
        if (modifiers)
            defaults.setInteger(Preferences::shortcutModifiersKey, *modifiers);
        if (label)
            defaults.setString(Preferences::shortcutLabelKey, *label);
        const int writes = defaults.writeCount();
        const std::string log = stderrOf([&] { open(); });
        EXPECT_EQ(preferences->shortcut(), Shortcut::standard()) << log;
        EXPECT_THAT(log, ::testing::MatchesRegex("Kestrane: stored shortcut [^\n]*\n"));
        EXPECT_EQ(defaults.writeCount(), writes);
    }
}

TEST_F(PreferencesTest, ASettingOfAnotherTypeIsIgnoredWithOneLineAndLeftAsStored)
{
    const std::function<void(MemoryDefaults&)> mistyped[] = {
        [](MemoryDefaults& d) { d.setString(Preferences::hapticsKey, "false"); },
        [](MemoryDefaults& d) { d.setInteger(Preferences::blurWholeScreenKey, 0); },
        [](MemoryDefaults& d) { d.setString(Preferences::openAtLoginKey, "true"); },
        [](MemoryDefaults& d) {
            d.setString(Preferences::shortcutKeyCodeKey, "3");
            d.setInteger(Preferences::shortcutModifiersKey, modifier::control | modifier::option);
            d.setString(Preferences::shortcutLabelKey, "F");
        } };
    for (const auto& store : mistyped) {
        defaults = MemoryDefaults();
        store(defaults);
        const int writes = defaults.writeCount();
        const std::string log = stderrOf([&] { open(); });
        EXPECT_EQ(std::tuple(preferences->hapticsEnabled(), preferences->blurWholeScreen(), preferences->wantsOpenAtLogin(), preferences->shortcut()),
            std::tuple(true, true, false, Shortcut::standard())) << log;
        EXPECT_THAT(log, ::testing::MatchesRegex("Kestrane: [^\n]*\n"));
        EXPECT_EQ(defaults.writeCount(), writes);
    }
}

TEST_F(PreferencesTest, SettersWriteNotifyAndStepOnlyOnAChangeAndTheEngineSeesEachRow)
{
    open();
    auto switches = [&](std::string on = "") {
        for (int row = 0; row < prefRowCount; ++row)
            on += preferences->isSwitchOn(static_cast<PrefRow>(row)) ? '1' : '0';
        return on;
    };
    EXPECT_EQ(switches(), "001100");
    auto setAll = [&](bool on, LoginState login) {
        preferences->setHapticsEnabled(on);
        preferences->setBlurWholeScreen(on);
        preferences->setShortcutRegistered(on);
        preferences->setLoginState(std::move(login));
    };
    setAll(true, LoginState::off());
    EXPECT_EQ(defaults.writeCount() + changes + steps, 0);
    setAll(false, LoginState::failed("refused"));
    setAll(false, LoginState::failed("refused"));
    EXPECT_TRUE(defaults.contains(Preferences::hapticsKey) && defaults.contains(Preferences::blurWholeScreenKey));
    EXPECT_EQ(defaults.writeCount(), 2);
    EXPECT_EQ(std::pair(changes, steps), std::pair(4, 4));
    preferences->setLoginState(LoginState::failed("refused again"));
    EXPECT_EQ(changes, 5);

    preferences->beginRecordingShortcut();
    preferences->setLoginState(LoginState::needsApproval());
    EXPECT_EQ(switches(), "010000");
    preferences->setLoginState(LoginState::on());
    EXPECT_TRUE(preferences->isSwitchOn(PrefRow::openAtLogin));
}

TEST_F(PreferencesTest, OpenAtLoginFollowsTheAutostartEntryAndARefusalKeepsTheWishAndSaysWhy)
{
    writeFile(config / "autostart", "a file where the folder belongs");
    open();
    preferences->setOpenAtLogin(true);
    EXPECT_EQ(preferences->loginState(), LoginState::failed(loginItems.registerItem().value().message));
    EXPECT_TRUE(preferences->wantsOpenAtLogin() && defaults.boolValue(Preferences::openAtLoginKey) == true);
    EXPECT_EQ(steps, 1);

    std::filesystem::remove(config / "autostart");
    preferences->refreshLoginState();
    EXPECT_EQ(preferences->loginState(), LoginState::off());
    preferences->setOpenAtLogin(true);
    EXPECT_EQ(preferences->loginState(), LoginState::on());
    preferences->setOpenAtLogin(false);
    EXPECT_EQ(preferences->loginState(), LoginState::off());
    EXPECT_EQ(defaults.boolValue(Preferences::openAtLoginKey), false);
}
