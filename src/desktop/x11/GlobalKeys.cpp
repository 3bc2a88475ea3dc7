#include "x11/GlobalKeys.h"

#include "app/KeyCodes.h"
#include "x11/KeyboardState.h"

#include <QCoreApplication>

#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace kestrane {

namespace {
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;

std::uint16_t xModifiers(std::uint64_t flags)
{
    std::uint16_t mods = 0;
    for (const ModifierMask& modifier : modifierMasks)
        if (flags & modifier.flag)
            mods |= modifier.mask;
    return mods;
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
    xcb_connection_t* c = display_.connection();
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c), &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> keycodes(xcb_key_symbols_get_keycode(symbols.get(), *keysym), &std::free);
    if (!keycodes || *keycodes == XCB_NO_SYMBOL)
        return false;
    const std::uint16_t mods = xModifiers(modifierFlags);
    bool granted = true;
    // The grab must hold whatever the lock keys are doing.
    for (std::uint16_t locks : { std::uint16_t(0), numLock, capsLock, std::uint16_t(numLock | capsLock) }) {
        const auto cookie = xcb_grab_key_checked(c, 1, display_.root(), mods | locks, keycodes.get()[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (auto* error = xcb_request_check(c, cookie)) {
            granted = false;
            std::free(error);
        }
    }
    grabbedKeycode_ = keycodes.get()[0];
    grabbedMods_ = mods;
    if (!granted)
        ungrab();
    return granted;
}

void GlobalKeys::ungrab()
{
    if (!grabbedKeycode_)
        return;
    xcb_connection_t* c = display_.connection();
    for (std::uint16_t locks : { std::uint16_t(0), numLock, capsLock, std::uint16_t(numLock | capsLock) })
        xcb_ungrab_key(c, grabbedKeycode_, display_.root(), grabbedMods_ | locks);
    xcb_flush(c);
    grabbedKeycode_ = 0;
}

bool GlobalKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if ((key->response_type & 0x7F) != XCB_KEY_PRESS || !grabbedKeycode_ || key->detail != grabbedKeycode_
        || key->event != display_.root() || (key->state & ~(numLock | capsLock)) != grabbedMods_)
        return false;
    if (shortcutPressed_)
        shortcutPressed_();
    return true;
}

} // namespace kestrane
