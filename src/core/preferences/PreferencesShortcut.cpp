#include "preferences/Preferences.h"

#include "platform/Defaults.h"
#include "platform/Log.h"
#include "preferences/ShortcutLabel.h"

#include <cstdint>
#include <limits>
#include <string>

namespace kestrane {

namespace {
constexpr std::uint64_t bindingModifiers = modifier::control | modifier::alt | modifier::super;

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::optional<Shortcut> unusable(std::string_view reason)
{
    logLine("Kestrane: stored shortcut " + std::string(reason) + " \xE2\x80\x94 using " + Shortcut::standard().display());
    return std::nullopt;
}
} // namespace

// Nothing is rewritten when the stored shortcut is unusable: the default applies until the
// user records a new one. A member of another type counts as missing.
std::optional<Shortcut> Preferences::storedShortcut() const
{
    if (!defaults_.contains(shortcutKeyCodeKey) && !defaults_.contains(shortcutLabelKey) && !defaults_.contains(shortcutModifiersKey))
        return std::nullopt;
    const std::optional<std::int64_t> keyCode = defaults_.integerValue(shortcutKeyCodeKey);
    const std::optional<std::int64_t> modifiers = defaults_.integerValue(shortcutModifiersKey);
    const std::optional<std::string> label = defaults_.stringValue(shortcutLabelKey);
    if (!keyCode)
        return unusable("has a key code that is missing or not a whole number");
    if (!modifiers)
        return unusable("has modifiers that are missing or not a whole number");
    if (!label || isBlank(*label))
        return unusable("has a label that is missing, blank or not text");
    if (*keyCode < 0 || *keyCode > std::numeric_limits<std::uint16_t>::max())
        return unusable("has key code " + std::to_string(*keyCode)
            + ", outside 0\xE2\x80\xA6"
              "65535");
    if (*modifiers < 0)
        return unusable("has negative modifiers " + std::to_string(*modifiers));
    // A bare key (or Shift and a key) bound for the whole desktop would swallow typing.
    const std::uint64_t kept = static_cast<std::uint64_t>(*modifiers) & modifier::shortcutFlags;
    if ((kept & bindingModifiers) == 0)
        return unusable("has modifiers " + std::to_string(*modifiers) + " without Control, Alt or Super");
    return Shortcut { static_cast<std::uint16_t>(*keyCode), kept, *label };
}

void Preferences::storeShortcut()
{
    defaults_.setInteger(shortcutKeyCodeKey, shortcut_.keyCode);
    defaults_.setInteger(shortcutModifiersKey, static_cast<std::int64_t>(shortcut_.modifiers));
    defaults_.setString(shortcutLabelKey, shortcut_.label);
}

bool Preferences::recordShortcut(const KeyEvent& event)
{
    if (!isRecordingShortcut_)
        return false;
    // Escape cancels whatever modifiers are held, so Control-Escape cannot be recorded.
    if (event.keyCode == keyCode::escape) {
        stopRecordingShortcut();
        return true;
    }
    const std::uint64_t flags = event.modifierFlags & modifier::shortcutFlags;
    // Swallowed while the user is still assembling the combination.
    if ((flags & bindingModifiers) == 0)
        return true;
    // Super+Q neither becomes the shortcut nor quits while recording.
    if (flags == modifier::super && event.keyCode == keyCode::q)
        return true;
    shortcut_ = Shortcut { event.keyCode, flags, shortcutLabel(event) };
    isRecordingShortcut_ = false;
    storeShortcut();
    notifications_.post(shortcutChangedNotification);
    changed();
    return true;
}

void Preferences::beginRecordingShortcut()
{
    isRecordingShortcut_ = !isRecordingShortcut_;
    changed();
}

void Preferences::stopRecordingShortcut()
{
    if (!isRecordingShortcut_)
        return;
    isRecordingShortcut_ = false;
    changed();
}

} // namespace kestrane
