#include "x11/DragSelectionWatcher.h"

#include <QCoreApplication>

#include <xcb/xfixes.h>

namespace kestrane {

DragSelectionWatcher::DragSelectionWatcher(const X11Display& display, std::function<void()> changed)
    : changed_(std::move(changed))
{
    xcb_connection_t* c = display.connection();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    selectionNotifyEvent_ = static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    const std::uint32_t mask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
        | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
    xcb_xfixes_select_selection_input(c, display.root(), display.atom("XdndSelection"), mask);
    xcb_flush(c);
    available_ = true;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

DragSelectionWatcher::~DragSelectionWatcher()
{
    if (available_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool DragSelectionWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!available_ || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != selectionNotifyEvent_)
        return false;
    ++changes_;
    if (changed_)
        changed_();
    return false;
}

} // namespace kestrane
