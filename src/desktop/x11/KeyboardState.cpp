#include "x11/KeyboardState.h"

#include "platform/Log.h"

#include <QCoreApplication>

// The protocol header names a field `explicit`, a keyword in C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <utility>

namespace kestrane {

namespace {
std::uint64_t flagsFor(std::uint16_t held, std::uint16_t locked)
{
    std::uint64_t flags = (locked & XCB_MOD_MASK_LOCK) ? modifier::capsLock : 0;
    for (const ModifierMask& modifier : modifierMasks)
        if (held & modifier.mask)
            flags |= modifier.flag;
    return flags;
}

bool useKeyboardExtension(xcb_connection_t* c)
{
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(c, &xcb_xkb_id);
    if (!xkb || !xkb->present)
        return false;
    const auto reply = owned(xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    return reply && reply->supported;
}
} // namespace

KeyboardState::KeyboardState(const X11Display& display, std::function<void(std::uint64_t flags)> changed)
    : display_(display)
    , changed_(std::move(changed))
{
    refreshControlKeys();
    keymapSettled_.setSingleShot(true);
    keymapSettled_.setInterval(0);
    QObject::connect(&keymapSettled_, &QTimer::timeout, [this] {
        refreshControlKeys();
        if (keymapChanged_)
            keymapChanged_();
    });
    QCoreApplication::instance()->installNativeEventFilter(this);
    xcb_connection_t* c = display.connection();
    if (!useKeyboardExtension(c)) {
        logLine("Kestrane: the X server has no keyboard extension; the double tap of Control is off");
        return;
    }
    xkbEvent_ = xcb_get_extension_data(c, &xcb_xkb_id)->first_event;
    constexpr std::uint16_t events = XCB_XKB_EVENT_TYPE_STATE_NOTIFY | XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
    xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, mapParts, mapParts, nullptr);
    xcb_flush(c);
}

KeyboardState::~KeyboardState()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool KeyboardState::isControlKey(std::uint32_t keycode) const
{
    return std::find(controlKeys_.begin(), controlKeys_.end(), keycode) != controlKeys_.end();
}

void KeyboardState::onKeymapChanged(std::function<void()> listener)
{
    keymapChanged_ = std::move(listener);
}

void KeyboardState::refreshControlKeys()
{
    xcb_connection_t* c = display_.connection();
    const auto reply = owned(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    controlKeys_.clear();
    if (!reply)
        return;
    // One row of keycodes per modifier, in the order Shift, Lock, Control, Mod1 to Mod5.
    const int perModifier = reply->keycodes_per_modifier;
    const xcb_keycode_t* controlRow = xcb_get_modifier_mapping_keycodes(reply.get()) + 2 * perModifier;
    std::copy_if(controlRow, controlRow + perModifier, std::back_inserter(controlKeys_), [](xcb_keycode_t key) { return key != 0; });
}

// The core event comes to programs that do not take the keyboard extension's map events,
// and with it the changes made through the core protocol (xmodmap).
bool KeyboardState::isKeymapChange(const void* message) const
{
    const auto* event = static_cast<const xcb_mapping_notify_event_t*>(message);
    if ((event->response_type & 0x7F) == XCB_MAPPING_NOTIFY)
        return event->request != XCB_MAPPING_POINTER;
    const auto* xkb = static_cast<const xcb_xkb_map_notify_event_t*>(message);
    return xkbEvent_ && (xkb->response_type & 0x7F) == xkbEvent_
        && (xkb->xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkb->xkbType == XCB_XKB_MAP_NOTIFY);
}

bool KeyboardState::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    if (isKeymapChange(message)) {
        keymapSettled_.start();
        return false;
    }
    const auto* event = static_cast<const xcb_xkb_state_notify_event_t*>(message);
    if (!xkbEvent_ || (event->response_type & 0x7F) != xkbEvent_ || event->xkbType != XCB_XKB_STATE_NOTIFY)
        return false;
    const std::uint64_t flags = flagsFor(event->baseMods | event->latchedMods, event->lockedMods);
    if (flags != std::exchange(flags_, flags) && changed_)
        changed_(flags);
    return false;
}

} // namespace kestrane
