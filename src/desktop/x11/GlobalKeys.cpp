#include "x11/GlobalKeys.h"

#include "app/KeyCodes.h"

#include <QCoreApplication>

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace kestrane {

namespace {
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;

std::uint16_t xModifiers(std::uint64_t flags)
{
    std::uint16_t mods = 0;
    if (flags & modifier::control)
        mods |= XCB_MOD_MASK_CONTROL;
    if (flags & modifier::option)
        mods |= XCB_MOD_MASK_1;
    if (flags & modifier::shift)
        mods |= XCB_MOD_MASK_SHIFT;
    if (flags & modifier::command)
        mods |= XCB_MOD_MASK_4;
    return mods;
}

// The keysyms of the modifier keys and the flag each one stands for.
struct ModifierKey {
    std::uint32_t keysym;
    std::uint64_t flag;
};
constexpr ModifierKey modifierKeys[] = {
    { 0xffe3, modifier::control }, { 0xffe4, modifier::control }, // Control_L, Control_R
    { 0xffe1, modifier::shift }, { 0xffe2, modifier::shift }, // Shift_L, Shift_R
    { 0xffe9, modifier::option }, { 0xffea, modifier::option }, { 0xffe7, modifier::option }, // Alt, Meta
    { 0xffeb, modifier::command }, { 0xffec, modifier::command }, // Super
    { 0xffe5, modifier::capsLock }, // Caps_Lock
};
} // namespace

GlobalKeys::GlobalKeys(const X11Display& display, Handlers handlers)
    : display_(display)
    , handlers_(std::move(handlers))
{
    selectRawKeys();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

GlobalKeys::~GlobalKeys()
{
    ungrab();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void GlobalKeys::selectRawKeys()
{
    xcb_connection_t* c = display_.connection();
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present)
        return;
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t mask;
    } selection { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE };
    const auto cookie = xcb_input_xi_select_events_checked(c, display_.root(), 1, &selection.header);
    if (auto* error = xcb_request_check(c, cookie)) {
        std::free(error);
        return;
    }
    xinputOpcode_ = xinput->major_opcode;
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
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_KEY_PRESS) {
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (grabbedKeycode_ && key->detail == grabbedKeycode_ && key->event == display_.root()
            && (key->state & ~(numLock | capsLock)) == grabbedMods_) {
            if (handlers_.shortcutPressed)
                handlers_.shortcutPressed();
            return true;
        }
        return false;
    }
    if (type == XCB_GE_GENERIC && xinputOpcode_) {
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (generic->extension != xinputOpcode_)
            return false;
        if (generic->event_type == XCB_INPUT_RAW_KEY_PRESS || generic->event_type == XCB_INPUT_RAW_KEY_RELEASE) {
            const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
            handleRawKey(raw->detail, generic->event_type == XCB_INPUT_RAW_KEY_PRESS);
        }
    }
    return false;
}

std::uint64_t GlobalKeys::modifierFlagFor(std::uint32_t keycode) const
{
    xcb_connection_t* c = display_.connection();
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c), &xcb_key_symbols_free);
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), static_cast<xcb_keycode_t>(keycode), 0);
    for (const ModifierKey& key : modifierKeys) {
        if (key.keysym == keysym)
            return key.flag;
    }
    return 0;
}

void GlobalKeys::handleRawKey(std::uint32_t keycode, bool pressed)
{
    if (modifierFlagFor(keycode) == 0)
        return;
    if (pressed)
        heldModifiers_.insert(keycode);
    else
        heldModifiers_.erase(keycode);
    std::uint64_t flags = 0;
    for (std::uint32_t held : heldModifiers_)
        flags |= modifierFlagFor(held);
    if (handlers_.modifiersChanged)
        handlers_.modifiersChanged(flags);
}

} // namespace kestrane
