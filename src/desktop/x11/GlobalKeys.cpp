#include "x11/GlobalKeys.h"

#include "edge/KeyCodes.h"
#include "platform/Log.h"
#include "x11/KeyboardState.h"

#include <QCoreApplication>

#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace kestrane {

namespace {
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;
// The grab must hold whatever the lock keys are doing.
constexpr std::uint16_t lockVariants[] = { 0, numLock, capsLock, numLock | capsLock };

std::uint16_t xModifiers(std::uint64_t flags)
{
    std::uint16_t mods = 0;
    for (const ModifierMask& modifier : modifierMasks)
        if (flags & modifier.flag)
            mods |= modifier.mask;
    return mods;
}

// Every key code that gives the symbol in some group or level, as the keymap is now: a
// table made afresh, since one keeps the mapping it first read.
std::vector<std::uint8_t> keycodesFor(xcb_connection_t* c, xcb_keysym_t keysym)
{
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c), &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> found(xcb_key_symbols_get_keycode(symbols.get(), keysym), &std::free);
    std::vector<std::uint8_t> keycodes;
    for (const xcb_keycode_t* keycode = found.get(); keycode && *keycode != XCB_NO_SYMBOL; ++keycode)
        keycodes.push_back(*keycode);
    std::sort(keycodes.begin(), keycodes.end());
    keycodes.erase(std::unique(keycodes.begin(), keycodes.end()), keycodes.end());
    return keycodes;
}
} // namespace

GlobalKeys::GlobalKeys(const X11Display& display, std::function<void()> shortcutPressed)
    : display_(display)
    , shortcutPressed_(std::move(shortcutPressed))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

GlobalKeys::~GlobalKeys()
{
    ungrab();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool GlobalKeys::bindShortcut(std::uint16_t keyCode, std::uint64_t modifierFlags)
{
    ungrab();
    const auto keysym = keysymForKeyCode(keyCode);
    if (!keysym)
        return false;
    grabbedKeycodes_ = keycodesFor(display_.connection(), *keysym);
    grabbedMods_ = xModifiers(modifierFlags);
    if (grabbedKeycodes_.empty()) {
        logLine("Kestrane: no key of the current keyboard layout types the shortcut's key");
        return false;
    }
    if (grab())
        return true;
    ungrab();
    return false;
}

bool GlobalKeys::grab() const
{
    xcb_connection_t* c = display_.connection();
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint8_t keycode : grabbedKeycodes_)
        for (std::uint16_t locks : lockVariants)
            cookies.push_back(
                xcb_grab_key_checked(c, 1, display_.root(), grabbedMods_ | locks, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = true;
    for (const xcb_void_cookie_t& cookie : cookies)
        granted = !owned(xcb_request_check(c, cookie)) && granted;
    return granted;
}

void GlobalKeys::ungrab()
{
    xcb_connection_t* c = display_.connection();
    for (std::uint8_t keycode : grabbedKeycodes_)
        for (std::uint16_t locks : lockVariants)
            xcb_ungrab_key(c, keycode, display_.root(), grabbedMods_ | locks);
    xcb_flush(c);
    grabbedKeycodes_.clear();
}

bool GlobalKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if ((key->response_type & 0x7F) != XCB_KEY_PRESS
        || std::find(grabbedKeycodes_.begin(), grabbedKeycodes_.end(), key->detail) == grabbedKeycodes_.end()
        || key->event != display_.root() || (key->state & ~(numLock | capsLock)) != grabbedMods_)
        return false;
    if (shortcutPressed_)
        shortcutPressed_();
    return true;
}

} // namespace kestrane
