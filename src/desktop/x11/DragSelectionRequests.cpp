#include "x11/DragSelectionRequests.h"

#include <QCoreApplication>
#include <QMimeData>

#include <xcb/xinput.h>

namespace kestrane {

namespace {
// How far ahead of the server a request may be dated and still be taken as the server's
// time: a receiver may have seen an event a little before us.
constexpr std::chrono::milliseconds aheadAllowed { 60000 };

QString atomName(xcb_connection_t* c, xcb_atom_t atom)
{
    const auto reply = owned(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    if (!reply)
        return {};
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}
} // namespace

DragSelectionRequests::DragSelectionRequests(const X11Display& display)
    : display_(display)
    , dragSelection_(display.atom("XdndSelection"))
{
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(display.connection(), &xcb_input_id);
    if (xinput && xinput->present)
        inputOpcode_ = xinput->major_opcode;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

DragSelectionRequests::~DragSelectionRequests()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool DragSelectionRequests::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST) {
        noteServerTime(event);
        return false;
    }
    auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
    if (!isAheadOfServer(request->time))
        return false;
    if (request->selection == dragSelection_ && dragData_) {
        answer(*request);
        return true;
    }
    request->time = XCB_CURRENT_TIME;
    return false;
}

// Only events the server made carry its time; a sent event carries what its sender wrote.
void DragSelectionRequests::noteServerTime(const xcb_generic_event_t* event)
{
    if (event->response_type & 0x80)
        return;
    std::optional<xcb_timestamp_t> time;
    switch (event->response_type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
        time = reinterpret_cast<const xcb_key_press_event_t*>(event)->time;
        break;
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY:
        time = reinterpret_cast<const xcb_enter_notify_event_t*>(event)->time;
        break;
    case XCB_PROPERTY_NOTIFY:
        time = reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
        break;
    case XCB_GE_GENERIC:
        // Every input extension event, raw or not, has its time in the same place.
        if (inputOpcode_ && reinterpret_cast<const xcb_ge_generic_event_t*>(event)->extension == inputOpcode_)
            time = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event)->time;
        break;
    default:
        break;
    }
    if (time && *time != XCB_CURRENT_TIME)
        serverTime_ = ServerTime { *time, std::chrono::steady_clock::now() };
}

// The server counts milliseconds in 32 bits and wraps around, so times compare by their
// difference.
bool DragSelectionRequests::isAheadOfServer(xcb_timestamp_t time) const
{
    if (!serverTime_ || time == XCB_CURRENT_TIME)
        return false;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - serverTime_->seen);
    const auto serverNow = static_cast<xcb_timestamp_t>(serverTime_->time + elapsed.count());
    return static_cast<std::int32_t>(time - serverNow) > aheadAllowed.count();
}

// The drag's data in the format asked for, in one property of the requestor's; a format the
// drag does not offer, or data too large for one request, is refused.
void DragSelectionRequests::answer(const xcb_selection_request_event_t& request) const
{
    xcb_connection_t* c = display_.connection();
    xcb_selection_notify_event_t notify {};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = XCB_NONE;
    const QString format = atomName(c, request.target);
    const QByteArray data = !format.isEmpty() && dragData_->hasFormat(format) ? dragData_->data(format) : QByteArray();
    const std::uint64_t requestBytes = static_cast<std::uint64_t>(xcb_get_maximum_request_length(c)) * 4;
    if (!data.isEmpty() && static_cast<std::uint64_t>(data.size()) + 64 < requestBytes) {
        // Clients older than the conventions name no property: the target stands in for it.
        notify.property = request.property != XCB_NONE ? request.property : request.target;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, notify.property, request.target, 8,
            static_cast<std::uint32_t>(data.size()), data.constData());
    }
    xcb_send_event(c, false, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(c);
}

} // namespace kestrane
