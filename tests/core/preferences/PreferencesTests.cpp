#include "PreferencesFixture.h"
#include "StderrOf.h"
#include "platform/Clock.h"
#include "preferences/Haptics.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

namespace {
constexpr std::uint16_t keyA = 0;
using ShortcutRecordingTest = PreferencesTest;
using HapticsTest = PreferencesTest;
using LoginItemTest = PreferencesTest;

struct RecordingSink final : HapticSink {
    void play(HapticPattern pattern) override { played.push_back(pattern); }
    std::vector<HapticPattern> played;
};
} // namespace

TEST_F(PreferencesTest, AFirstLaunchHasTheDefaultsAndWritesNothingThenStoredSettingsAreReadBack)
{
    int stepsAtCreation = 0;
    const Preferences fresh(defaults, loginItems, notifications, [&] { ++stepsAtCreation; });
    EXPECT_FALSE(fresh.wantsOpenAtLogin());
    EXPECT_EQ(fresh.shortcut(), (Shortcut { 2, modifier::control | modifier::alt, "D" }));
    EXPECT_EQ(stepsAtCreation, 1);
    EXPECT_EQ(defaults.writeCount(), 0);

    defaults.setBool(Preferences::hapticsKey, false);
    defaults.setBool(Preferences::blurWholeScreenKey, false);
    defaults.setBool(Preferences::openAtLoginKey, true);
    defaults.setInteger(Preferences::shortcutKeyCodeKey, 40);
    defaults.setInteger(Preferences::shortcutModifiersKey, modifier::super | modifier::shift | modifier::capsLock);
    defaults.setString(Preferences::shortcutLabelKey, "K");
    loginItems.registerItem();
    open();
    EXPECT_FALSE(preferences->hapticsEnabled() || preferences->blurWholeScreen());
    EXPECT_TRUE(preferences->wantsOpenAtLogin());
    EXPECT_EQ(preferences->loginState(), LoginState::on());
    EXPECT_EQ(preferences->shortcut(), (Shortcut { 40, modifier::super | modifier::shift, "K" }));
}

// Whatever cannot be used is ignored with one line that names it, and left as stored.
TEST_F(PreferencesTest, AnUnusableStoredShortcutOrASettingOfAnotherTypeFallsBackToTheDefault)
{
    using Number = std::optional<std::int64_t>;
    const std::int64_t control = modifier::control;
    // A shortcut's key code, modifiers and label. A bare key, or Shift and a key (the last
    // two), would swallow typing on the whole desktop.
    const std::tuple<Number, Number, std::optional<std::string>> shortcuts[] = { { 40, control, std::nullopt }, { 40, control, "" },
        { 40, control, "  " }, { std::nullopt, control, "K" }, { 70000, control, "K" }, { -1, control, "K" }, { 40, -1, "K" },
        { 40, std::nullopt, "K" }, { 40, std::int64_t(modifier::shift), "K" } };
    // What is stored, and what the line is about.
    std::vector<std::pair<std::function<void(MemoryDefaults&)>, std::string>> cases = {
        { [](MemoryDefaults& d) { d.setString(Preferences::hapticsKey, "false"); }, "setting" },
        { [](MemoryDefaults& d) { d.setInteger(Preferences::blurWholeScreenKey, 0); }, "setting" },
        { [](MemoryDefaults& d) { d.setString(Preferences::openAtLoginKey, "true"); }, "setting" },
        { [](MemoryDefaults& d) {
             d.setString(Preferences::shortcutKeyCodeKey, "3");
             d.setInteger(Preferences::shortcutModifiersKey, modifier::control | modifier::alt);
             d.setString(Preferences::shortcutLabelKey, "F");
         },
            "stored shortcut" }
    };
    for (const auto& [keyCode, modifiers, label] : shortcuts) {
        cases.emplace_back(
            [keyCode, modifiers, label](MemoryDefaults& d) {
                if (keyCode)
                    d.setInteger(Preferences::shortcutKeyCodeKey, *keyCode);
                if (modifiers)
                    d.setInteger(Preferences::shortcutModifiersKey, *modifiers);
                if (label)
                    d.setString(Preferences::shortcutLabelKey, *label);
            },
            "stored shortcut");
    }
    for (const auto& [store, subject] : cases) {
        defaults = MemoryDefaults();
        store(defaults);
        const int writes = defaults.writeCount();
        const std::string log = stderrOf([&] { open(); });
        EXPECT_EQ(std::tuple(preferences->hapticsEnabled(), preferences->blurWholeScreen(), preferences->wantsOpenAtLogin(),
                      preferences->shortcut()),
            std::tuple(true, true, false, Shortcut::standard()))
            << log;
        EXPECT_THAT(log, ::testing::MatchesRegex("Kestrane: " + subject + " [^\n]*\n"));
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

TEST_F(PreferencesTest, OpenAtLoginFollowsTheAutostartEntryAndAFailureKeepsTheWishAndSaysWhatCouldNotBeDone)
{
    writeFile(config / "autostart", "a file where the folder belongs");
    open();
    preferences->setOpenAtLogin(true);
    EXPECT_EQ(preferences->loginState().kind, LoginState::Kind::failed);
    EXPECT_EQ(preferences->loginState().message.rfind("Could not create the folder " + (config / "autostart").string() + ": ", 0), 0u);
    EXPECT_TRUE(preferences->wantsOpenAtLogin() && defaults.boolValue(Preferences::openAtLoginKey) == true);
    EXPECT_EQ(std::tuple(steps, loginItems.status(), loginItems.unregisterItem()), std::tuple(1, LoginState::off(), std::nullopt));

    fs::remove(config / "autostart");
    preferences->refreshLoginState();
    EXPECT_EQ(preferences->loginState(), LoginState::off());
    preferences->setOpenAtLogin(true);
    EXPECT_EQ(preferences->loginState(), LoginState::on());
    preferences->setOpenAtLogin(false);
    EXPECT_EQ(preferences->loginState(), LoginState::off());
    EXPECT_EQ(defaults.boolValue(Preferences::openAtLoginKey), false);

    fs::create_directories(autostartEntry() / "a folder where the entry belongs");
    EXPECT_EQ(loginItems.status().message.rfind("Could not read " + autostartEntry().string() + ": ", 0), 0u);
    EXPECT_TRUE(loginItems.registerItem() && loginItems.unregisterItem());
    XdgAutostartLoginItem homeless("/usr/bin/kestrane", std::nullopt);
    EXPECT_TRUE(homeless.status().kind == LoginState::Kind::failed && homeless.registerItem());
}

TEST_F(ShortcutRecordingTest, SwallowsShiftAloneAndSuperQUntilEscapeCancelsOrACombinationIsRecorded)
{
    open().beginRecordingShortcut();
    steps = changes = 0;
    // Caps Lock may be held too; it is never part of the shortcut.
    for (std::uint64_t swallowed : { modifier::shift, modifier::super | modifier::capsLock })
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

    // With Alt, Super+Q is a shortcut; the same one again is announced again, so a
    // taken hot key can be retried.
    for (int twice = 0; twice < 2; ++twice) {
        preferences->beginRecordingShortcut();
        EXPECT_TRUE(preferences->recordShortcut({ keyCode::q, modifier::alt | modifier::super, "q" }));
    }
    EXPECT_EQ(preferences->shortcut(), (Shortcut { keyCode::q, modifier::alt | modifier::super, "Q" }));
    EXPECT_EQ(shortcutPosts, 3);
}

TEST_F(ShortcutRecordingTest, LabelsNameTheKeyReadablyAfterTheModifiersInAFixedOrder)
{
    open().beginRecordingShortcut();
    const std::uint64_t all = modifier::super | modifier::shift | modifier::alt | modifier::control;
    EXPECT_EQ((Shortcut { 40, all, "K" }).display(), "Ctrl+Alt+Shift+Super+K");
    // The last four have no readable character: whitespace only, none at all, a control
    // character, bad UTF-8.
    const std::tuple<std::uint16_t, std::string, std::string> keys[] = { { 49, " ", "Space" }, { 96, "\xEF\x9C\x88", "F5" },
        { keyA, " a\n", "A" }, { 14, "é", "É" }, { 50, " \t", "Key 50" }, { 50, "", "Key 50" }, { 50, "\x03", "Key 50" },
        { 50, "\xC3", "Key 50" } };
    for (const auto& [key, characters, label] : keys) {
        EXPECT_TRUE(preferences->recordShortcut({ key, modifier::control, characters }));
        EXPECT_EQ(preferences->shortcut().label, label) << characters;
        preferences->beginRecordingShortcut();
    }
}

TEST_F(HapticsTest, TapsTooSoonAfterTheLastOnePlayedOrWithHapticsOffAreDropped)
{
    ManualClock clock;
    RecordingSink sink;
    Haptics haptics { open(), clock, sink };
    haptics.perform(HapticPattern::alignment);
    clock.advance(0.03);
    haptics.perform(HapticPattern::levelChange);
    clock.advance(0.04);
    haptics.perform(HapticPattern::levelChange);
    EXPECT_EQ(sink.played, (std::vector { HapticPattern::alignment, HapticPattern::levelChange }));

    // A tap dropped while off does not count as the last one played.
    preferences->setHapticsEnabled(false);
    clock.advance(0.07);
    haptics.perform(HapticPattern::alignment);
    preferences->setHapticsEnabled(true);
    clock.advance(0.03);
    haptics.perform(HapticPattern::alignment);
    EXPECT_EQ(sink.played.size(), 3u);
}

TEST_F(LoginItemTest, RegisteringWritesAnEnabledEntryThatTheDesktopMaySwitchOff)
{
    EXPECT_EQ(loginItems.status(), LoginState::off());
    EXPECT_FALSE(loginItems.registerItem());
    EXPECT_EQ(readFile(autostartEntry()),
        "[Desktop Entry]\nType=Application\nName=Kestrane\n"
        "Exec=/usr/bin/kestrane\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(loginItems.status(), LoginState::on());

    const std::pair<std::string, LoginState> entries[] = {
        { "[Desktop Entry]\nExec=kestrane\nHidden=true\n", LoginState::needsApproval() },
        { "# off\r\n[Desktop Entry]\r\nX-GNOME-Autostart-enabled = false\r\n", LoginState::needsApproval() },
        { "[Desktop Entry]\nHidden=false\nX-GNOME-Autostart-enabled=true\n", LoginState::on() },
        // Only the main group counts.
        { "[Desktop Entry]\nExec=kestrane\n[Desktop Action Quit]\nHidden=true\n", LoginState::on() },
        { "Exec=kestrane\n", LoginState::failed(autostartEntry().string() + " is not a desktop entry.") },
    };
    for (const auto& [contents, state] : entries) {
        writeFile(autostartEntry(), contents);
        EXPECT_EQ(loginItems.status(), state) << contents;
    }
    EXPECT_FALSE(loginItems.unregisterItem());
    EXPECT_EQ(loginItems.status(), LoginState::off());
    EXPECT_FALSE(loginItems.unregisterItem());

    const std::string quoted = XdgAutostartLoginItem::entryContents("/home/a b/50%/\"k$\"");
    EXPECT_NE(quoted.find("\nExec=\"/home/a b/50%%/\\\\\"k\\\\$\\\\\"\"\n"), std::string::npos) << quoted;
}

TEST(NotificationCenterTest, APostReachesItsObserversInOrderAndTheyMayChangeTheListMeanwhile)
{
    NotificationCenter center;
    std::vector<std::string> heard;
    NotificationCenter::Token self = 0, later = 0;
    self = center.observe("n", [&] {
        heard.push_back("self");
        center.removeObserver(self);
        center.removeObserver(later);
        center.observe("n", [&] { heard.push_back("added"); });
    });
    center.observe("other", [&] { heard.push_back("other"); });
    later = center.observe("n", [&] { heard.push_back("later"); });

    // The one removed before its turn is skipped; the one added hears the next post.
    EXPECT_EQ(center.post("n"), 1);
    EXPECT_EQ(center.post("n"), 1);
    EXPECT_EQ(heard, (std::vector<std::string> { "self", "added" }));
    EXPECT_EQ(center.post("nobody"), 0);
}
