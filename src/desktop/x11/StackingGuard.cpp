#include "x11/StackingGuard.h"

#include <QCoreApplication>

#include <vector>

namespace kestrane {

namespace {
// Restacking follows a burst of window changes once, a moment after it.
constexpr int settleMilliseconds = 30;

// The event's own window and the child it is about, for the events that change what lies
// below the overlay; only a managed window mapped or restacked may come over it.
struct ChildEvent {
    xcb_window_t parent;
    xcb_window_t child;
    bool managed;
};

std::optional<ChildEvent> childEvent(const xcb_generic_event_t* event)
{
    switch (event->response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        return ChildEvent { configure->event, configure->window, !configure->override_redirect };
    }
    case XCB_MAP_NOTIFY: {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        return ChildEvent { map->event, map->window, !map->override_redirect };
    }
    case XCB_UNMAP_NOTIFY: {
        const auto* unmap = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
        return ChildEvent { unmap->event, unmap->window, false };
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        return ChildEvent { destroy->event, destroy->window, false };
    }
    default:
        return std::nullopt;
    }
}
} // namespace

StackingGuard::StackingGuard(const X11Display& display, xcb_window_t overlay)
    : display_(display)
    , overlay_(overlay)
{
    xcb_connection_t* c = display_.connection();
    const auto attributes = owned(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, display_.root()), nullptr));
    if (!attributes)
        return;
    // Other parts of the program select their own events on the root window.
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    watchesRootChildren_ = (attributes->your_event_mask & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) == 0;
    xcb_change_window_attributes(c, display_.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    pending_.setSingleShot(true);
    pending_.setInterval(settleMilliseconds);
    QObject::connect(&pending_, &QTimer::timeout, [this] { restack(); });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

StackingGuard::~StackingGuard()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool StackingGuard::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto event = childEvent(static_cast<const xcb_generic_event_t*>(message));
    if (!event || event->parent != display_.root() || event->child == display_.root())
        return false;
    if (event->managed && event->child != overlay_ && !pending_.isActive())
        pending_.start();
    if (event->child != overlay_ && windowsChanged_)
        windowsChanged_();
    // Only this guard asked for the root's children; nothing else expects their events.
    return watchesRootChildren_;
}

void StackingGuard::restack() const
{
    xcb_connection_t* c = display_.connection();
    const auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, display_.root()), nullptr));
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    int above = 0;
    while (above < count && children[above] != overlay_)
        ++above;
    // Children come bottom first: everything after the overlay lies above it.
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = above + 1; i < count; ++i)
        cookies.push_back(xcb_get_window_attributes(c, children[i]));
    xcb_window_t highestManaged = XCB_NONE;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        const auto attributes = owned(xcb_get_window_attributes_reply(c, cookies[i], &error));
        std::free(error);
        if (attributes && !attributes->override_redirect && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            highestManaged = children[above + 1 + static_cast<int>(i)];
    }
    if (above == count || highestManaged == XCB_NONE)
        return;
    const std::uint32_t values[] = { highestManaged, XCB_STACK_MODE_ABOVE };
    xcb_configure_window(c, overlay_, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_flush(c);
}

} // namespace kestrane
