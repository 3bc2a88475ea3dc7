#include "preferences/Preferences.h"

#include "platform/Defaults.h"
#include "preferences/LoginItemService.h"

#include <utility>

namespace kestrane {

namespace {
// Answers whether the field took a new value.
template <typename T> bool replaced(T& field, T value)
{
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}
} // namespace

Preferences::Preferences(Defaults& defaults, LoginItemService& loginItems, NotificationCenter& notifications, RequestStep requestStep)
    : defaults_(defaults)
    , loginItems_(loginItems)
    , notifications_(notifications)
    , requestStep_(std::move(requestStep))
    , shortcut_(storedShortcut().value_or(Shortcut::standard()))
    // Haptics and the whole-screen blur are on until the user turns them off.
    , hapticsEnabled_(defaults.boolSetting(hapticsKey).value_or(true))
    , blurWholeScreen_(defaults.boolSetting(blurWholeScreenKey).value_or(true))
    , loginState_(loginItems.status())
    , wantsOpenAtLogin_(defaults.boolSetting(openAtLoginKey).value_or(false))
{
    if (requestStep_)
        requestStep_();
}

void Preferences::setOpenAtLogin(bool on)
{
    const bool wishChanged = replaced(wantsOpenAtLogin_, on);
    defaults_.setBool(openAtLoginKey, on);
    const std::optional<LoginItemFailure> failure = on ? loginItems_.registerItem() : loginItems_.unregisterItem();
    const bool stateChanged = replaced(loginState_, failure ? LoginState::failed(failure->message) : loginItems_.status());
    if (wishChanged || stateChanged)
        changed();
    else if (requestStep_)
        requestStep_();
}

void Preferences::refreshLoginState()
{
    setLoginState(loginItems_.status());
}

void Preferences::setHapticsEnabled(bool enabled)
{
    setStoredBool(hapticsEnabled_, enabled, hapticsKey);
}

void Preferences::setBlurWholeScreen(bool enabled)
{
    setStoredBool(blurWholeScreen_, enabled, blurWholeScreenKey);
}

void Preferences::setStoredBool(bool& field, bool value, std::string_view key)
{
    if (!replaced(field, value))
        return;
    defaults_.setBool(key, value);
    changed();
}

void Preferences::setShortcutRegistered(bool registered)
{
    if (replaced(shortcutRegistered_, registered))
        changed();
}

void Preferences::setLoginState(LoginState state)
{
    if (replaced(loginState_, std::move(state)))
        changed();
}

bool Preferences::isSwitchOn(PrefRow row) const
{
    switch (row) {
    case PrefRow::openAtLogin:
        return loginState_.kind == LoginState::Kind::on;
    case PrefRow::shortcut:
        return isRecordingShortcut_;
    case PrefRow::haptics:
        return hapticsEnabled_;
    case PrefRow::blur:
        return blurWholeScreen_;
    case PrefRow::intro:
    case PrefRow::quit:
        return false;
    }
    return false;
}

NotificationCenter::Token Preferences::observe(std::function<void()> onChange)
{
    return observers_.observe(changedNotification, std::move(onChange));
}

void Preferences::removeObserver(NotificationCenter::Token token)
{
    observers_.removeObserver(token);
}

void Preferences::changed()
{
    observers_.post(changedNotification);
    if (requestStep_)
        requestStep_();
}

} // namespace kestrane
