#include "x11/SelectionWatcher.h"

#include <QCoreApplication>

#include <xcb/xfixes.h>

namespace kestrane {

SelectionWatcher::SelectionWatcher(const X11Display& display, std::string_view selection, std::function<void()> changed)
    : changed_(std::move(changed))
{
    xcb_connection_t* c = display.connection();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    selection_ = display.atom(selection);
    selectionNotifyEvent_ = static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    const std::uint32_t mask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
        | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
    xcb_xfixes_select_selection_input(c, display.root(), selection_, mask);
    if (const auto owner = owned(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr)))
        owner_ = owner->owner;
    available_ = true;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

SelectionWatcher::~SelectionWatcher()
{
    if (available_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool SelectionWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!available_ || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != selectionNotifyEvent_)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != selection_)
        return false;
    ++changes_;
    // A destroyed owner window or a closed client leaves the selection without owner.
    owner_ = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? notify->owner : XCB_NONE;
    if (changed_)
        changed_();
    return false;
}

} // namespace kestrane
