#pragma once

#include "platform/NotificationCenter.h"
#include "preferences/EnginePreferenceControl.h"
#include "preferences/EnginePreferences.h"
#include "preferences/KeyEvent.h"
#include "preferences/LoginState.h"
#include "preferences/Shortcut.h"

#include <functional>
#include <optional>
#include <string_view>

namespace kestrane {

class Defaults;
class LoginItemService;

// The user's settings: the global shortcut (and its recorder), haptics, the reach of the
// edit-mode blur and opening at login. Every change is written to the defaults at once.
// Observers hear of a change only when a value actually changed; each such change also
// asks the engine for a step so that the edge shows it. Main thread only.
class Preferences final : public EnginePreferences, public EnginePreferenceControl {
public:
    static constexpr std::string_view hapticsKey = "kestrane.prefs.haptics";
    static constexpr std::string_view blurWholeScreenKey = "kestrane.prefs.blurWholeScreen";
    static constexpr std::string_view openAtLoginKey = "kestrane.prefs.openAtLogin";
    static constexpr std::string_view shortcutKeyCodeKey = "kestrane.prefs.shortcut.keyCode";
    static constexpr std::string_view shortcutModifiersKey = "kestrane.prefs.shortcut.modifiers";
    static constexpr std::string_view shortcutLabelKey = "kestrane.prefs.shortcut.label";
    // Posted after every recorded shortcut, so that the hot key is bound again.
    static constexpr std::string_view shortcutChangedNotification = "kestrane.shortcutChanged";

    using RequestStep = std::function<void()>;

    // Reads every setting and the login item's status, then requests a step.
    // requestStep sets the engine's needsStep; it may be empty.
    Preferences(Defaults& defaults, LoginItemService& loginItems, NotificationCenter& notifications, RequestStep requestStep);
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    const Shortcut& shortcut() const { return shortcut_; }
    bool isRecordingShortcut() const { return isRecordingShortcut_; }
    // False when the desktop could not bind the shortcut (another program holds it).
    bool shortcutRegistered() const { return shortcutRegistered_; }
    bool hapticsEnabled() const { return hapticsEnabled_; }
    bool blurWholeScreen() const override { return blurWholeScreen_; }
    // What the system does at login; wantsOpenAtLogin is what the user asked for.
    const LoginState& loginState() const { return loginState_; }
    bool wantsOpenAtLogin() const { return wantsOpenAtLogin_; }

    // Offered every key press first. True means the recorder used the key and it must go
    // no further; false (not recording) leaves it to the others.
    bool recordShortcut(const KeyEvent& event);
    // Starts recording, or stops it when it is already running.
    void beginRecordingShortcut();
    void stopRecordingShortcut() override;

    // Records the wish and registers or unregisters the login item accordingly.
    void setOpenAtLogin(bool on);
    // Reads the login item's status again (when the panel opens).
    void refreshLoginState() override;

    void setHapticsEnabled(bool enabled);
    void setBlurWholeScreen(bool enabled);
    void setShortcutRegistered(bool registered);
    void setLoginState(LoginState state);

    bool isSwitchOn(PrefRow row) const override;

    NotificationCenter::Token observe(std::function<void()> onChange);
    void removeObserver(NotificationCenter::Token token);

private:
    static constexpr std::string_view changedNotification = "changed";

    std::optional<Shortcut> storedShortcut() const;
    void storeShortcut();
    void setStoredBool(bool& field, bool value, std::string_view key);
    void changed();

    Defaults& defaults_;
    LoginItemService& loginItems_;
    NotificationCenter& notifications_;
    RequestStep requestStep_;
    NotificationCenter observers_;

    Shortcut shortcut_;
    bool isRecordingShortcut_ = false;
    bool shortcutRegistered_ = true;
    bool hapticsEnabled_ = true;
    bool blurWholeScreen_ = true;
    LoginState loginState_;
    bool wantsOpenAtLogin_ = false;
};

} // namespace kestrane
