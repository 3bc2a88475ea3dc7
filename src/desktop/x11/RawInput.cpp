#include "x11/RawInput.h"

#include <QCoreApplication>

#include <xcb/xinput.h>

#include <cstdlib>

namespace kestrane {

namespace {
constexpr std::uint32_t alwaysSelected =
    XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;

template <typename Listener, typename... Arguments> void tell(const std::vector<Listener>& listeners, Arguments... arguments)
{
    for (const Listener& listener : listeners)
        listener(arguments...);
}

bool select(const X11Display& display, std::uint32_t mask)
{
    xcb_connection_t* c = display.connection();
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t mask;
    } selection { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, mask };
    const auto cookie = xcb_input_xi_select_events_checked(c, display.root(), 1, &selection.header);
    auto* error = xcb_request_check(c, cookie);
    const bool selected = error == nullptr;
    std::free(error);
    return selected;
}
} // namespace

RawInput::RawInput(const X11Display& display)
    : display_(display)
{
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(display.connection(), &xcb_input_id);
    if (!xinput || !xinput->present || !select(display, alwaysSelected))
        return;
    opcode_ = xinput->major_opcode;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

RawInput::~RawInput()
{
    if (available() && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void RawInput::onKey(std::function<void(std::uint32_t keycode, bool pressed)> listener)
{
    keyListeners_.push_back(std::move(listener));
}

void RawInput::onButtonPress(std::function<void()> listener)
{
    buttonListeners_.push_back(std::move(listener));
}

bool RawInput::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_ge_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_GE_GENERIC || event->extension != opcode_)
        return false;
    switch (event->event_type) {
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE:
        tell(keyListeners_, reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event)->detail,
            event->event_type == XCB_INPUT_RAW_KEY_PRESS);
        break;
    case XCB_INPUT_RAW_BUTTON_PRESS:
        tell(buttonListeners_);
        break;
    default:
        break;
    }
    return false;
}

} // namespace kestrane
