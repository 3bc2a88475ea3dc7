#include "PreferencesFixture.h"

#include "preferences/KeyEvent.h"

#include <algorithm>
#include <filesystem>

using namespace kestrane;
using kestrane::testing::PreferencesTest;
using kestrane::testing::writeFile;
namespace fs = std::filesystem;

TEST_F(PreferencesTest, AFirstLaunchHasTheDefaultsAndWritesNothing)
{
    int stepsAtCreation = 0;
    Preferences fresh(defaults, loginItems, notifications, [&] { ++stepsAtCreation; });
    EXPECT_TRUE(fresh.hapticsEnabled());
    EXPECT_TRUE(fresh.blurWholeScreen());
    EXPECT_FALSE(fresh.wantsOpenAtLogin());
    EXPECT_EQ(fresh.loginState(), LoginState::off());
    EXPECT_EQ(fresh.shortcut(), (Shortcut { 2, modifier::control | modifier::option, "D" }));
    EXPECT_EQ(fresh.shortcut().display(), "⌃⌥D");
    EXPECT_EQ(stepsAtCreation, 1);
    EXPECT_EQ(defaults.writeCount(), 0);
}

TEST_F(PreferencesTest, StoredSettingsAreReadBack)
{
    defaults.setBool(Preferences::hapticsKey, false);
    defaults.setBool(Preferences::blurWholeScreenKey, false);
    defaults.setBool(Preferences::openAtLoginKey, true);
    defaults.setInteger(Preferences::shortcutKeyCodeKey, 40);
    defaults.setInteger(Preferences::shortcutModifiersKey, modifier::command | modifier::shift | modifier::capsLock);
    defaults.setString(Preferences::shortcutLabelKey, "K");
    fs::create_directories(autostartEntry().parent_path());
    writeFile(autostartEntry(), "[Desktop Entry]\nExec=kestrane\nHidden=true\n");

    open();
    EXPECT_FALSE(preferences->hapticsEnabled());
    EXPECT_FALSE(preferences->blurWholeScreen());
    EXPECT_TRUE(preferences->wantsOpenAtLogin());
    EXPECT_EQ(preferences->loginState(), LoginState::needsApproval());
    EXPECT_EQ(preferences->shortcut(), (Shortcut { 40, modifier::command | modifier::shift, "K" }));
}

TEST_F(PreferencesTest, AnUnusableStoredShortcutFallsBackToTheDefaultAndIsLeftAsStored)
{
    struct Stored {
        std::optional<std::int64_t> keyCode, modifiers;
        std::optional<std::string> label;
    };
    const std::int64_t control = modifier::control;
    const Stored cases[] = {
        { 40, control, std::nullopt }, { 40, control, "" }, { 40, control, "  " }, { std::nullopt, control, "K" },
        { 70000, control, "K" },       { -1, control, "K" }, { 40, -1, "K" },
        // A bare key, or Shift and a key, would swallow typing on the whole desktop.
        { 40, std::nullopt, "K" }, { 40, std::int64_t(modifier::shift), "K" },
    };
    for (const Stored& stored : cases) {
        defaults = MemoryDefaults();
        if (stored.keyCode)
            defaults.setInteger(Preferences::shortcutKeyCodeKey, *stored.keyCode);
        if (stored.modifiers)
            defaults.setInteger(Preferences::shortcutModifiersKey, *stored.modifiers);
        if (stored.label)
            defaults.setString(Preferences::shortcutLabelKey, *stored.label);
        const int writes = defaults.writeCount();

        ::testing::internal::CaptureStderr();
        open();
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(preferences->shortcut(), Shortcut::standard()) << log;
        EXPECT_EQ(log.rfind("Kestrane: stored shortcut ", 0), 0u) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_EQ(defaults.writeCount(), writes);
    }
}

TEST_F(PreferencesTest, SettersWriteNotifyAndStepOnlyOnAChange)
{
    open();
    preferences->setHapticsEnabled(true);
    preferences->setBlurWholeScreen(true);
    preferences->setShortcutRegistered(true);
    preferences->setLoginState(LoginState::off());
    EXPECT_EQ(defaults.writeCount() + changes + steps, 0);

    for (int twice = 0; twice < 2; ++twice) {
        preferences->setHapticsEnabled(false);
        preferences->setBlurWholeScreen(false);
        preferences->setShortcutRegistered(false);
        preferences->setLoginState(LoginState::failed("refused"));
    }
    EXPECT_TRUE(defaults.contains(Preferences::hapticsKey) && defaults.contains(Preferences::blurWholeScreenKey));
    EXPECT_EQ(defaults.writeCount(), 2);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(steps, 4);
    preferences->setLoginState(LoginState::failed("refused again"));
    EXPECT_EQ(changes, 5);
}

TEST_F(PreferencesTest, TheEngineSeesEachRowsSetting)
{
    open();
    auto switches = [&] {
        std::vector<bool> on;
        for (int row = 0; row < prefRowCount; ++row)
            on.push_back(preferences->isSwitchOn(static_cast<PrefRow>(row)));
        return on;
    };
    EXPECT_EQ(switches(), (std::vector<bool> { false, false, true, true, false, false }));
    preferences->setLoginState(LoginState::on());
    preferences->beginRecordingShortcut();
    preferences->setHapticsEnabled(false);
    preferences->setBlurWholeScreen(false);
    EXPECT_EQ(switches(), (std::vector<bool> { true, true, false, false, false, false }));
    preferences->setLoginState(LoginState::needsApproval());
    EXPECT_FALSE(preferences->isSwitchOn(PrefRow::openAtLogin));
}

TEST_F(PreferencesTest, OpenAtLoginFollowsTheAutostartEntry)
{
    open();
    preferences->setOpenAtLogin(true);
    EXPECT_TRUE(fs::is_regular_file(autostartEntry()));
    EXPECT_EQ(preferences->loginState(), LoginState::on());
    EXPECT_TRUE(defaults.boolValue(Preferences::openAtLoginKey));

    // The desktop switches it off behind our back; opening the panel shows it.
    writeFile(autostartEntry(), "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n");
    preferences->refreshLoginState();
    EXPECT_EQ(preferences->loginState(), LoginState::needsApproval());

    preferences->setOpenAtLogin(false);
    EXPECT_FALSE(fs::exists(autostartEntry()));
    EXPECT_EQ(preferences->loginState(), LoginState::off());
    EXPECT_FALSE(defaults.boolValue(Preferences::openAtLoginKey));
}

TEST_F(PreferencesTest, ARefusedLoginItemKeepsTheWishAndShowsWhyUntilTheStatusIsReadAgain)
{
    writeFile(config / "autostart", "a file where the folder belongs");
    open();
    preferences->setOpenAtLogin(true);
    EXPECT_EQ(preferences->loginState().kind, LoginState::Kind::failed);
    EXPECT_NE(preferences->loginState().message.find((config / "autostart").string()), std::string::npos);
    EXPECT_TRUE(preferences->wantsOpenAtLogin());
    EXPECT_TRUE(defaults.boolValue(Preferences::openAtLoginKey));
    EXPECT_EQ(steps, 1);

    fs::remove(config / "autostart");
    preferences->refreshLoginState();
    EXPECT_EQ(preferences->loginState(), LoginState::off());
}
