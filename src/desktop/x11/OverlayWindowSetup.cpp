#include "x11/OverlayWindowSetup.h"

#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrane {

namespace {
xcb_rectangle_t toXcb(const Rect& rect)
{
    const auto left = static_cast<std::int16_t>(std::floor(rect.x));
    const auto top = static_cast<std::int16_t>(std::floor(rect.y));
    const auto right = static_cast<std::int32_t>(std::ceil(rect.x + rect.width));
    const auto bottom = static_cast<std::int32_t>(std::ceil(rect.y + rect.height));
    return { left, top, static_cast<std::uint16_t>(std::max(0, right - left)), static_cast<std::uint16_t>(std::max(0, bottom - top)) };
}
} // namespace

OverlayWindowSetup::OverlayWindowSetup(const X11Display& display, xcb_window_t window)
    : display_(display)
    , window_(window)
{
    // XFixes must be told which version the client speaks before any of its requests.
    xcb_connection_t* c = display_.connection();
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
}

void OverlayWindowSetup::applyWindowHints() const
{
    xcb_connection_t* c = display_.connection();
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, display_.atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    const xcb_atom_t states[] = { display_.atom("_NET_WM_STATE_ABOVE"), display_.atom("_NET_WM_STATE_STICKY"),
        display_.atom("_NET_WM_STATE_SKIP_TASKBAR"), display_.atom("_NET_WM_STATE_SKIP_PAGER") };
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window_, display_.atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 4, states);
    xcb_flush(c);
}

void OverlayWindowSetup::setInputRegion(const std::vector<Rect>& rects) const
{
    xcb_connection_t* c = display_.connection();
    std::vector<xcb_rectangle_t> xcbRects;
    xcbRects.reserve(rects.size());
    for (const Rect& rect : rects)
        xcbRects.push_back(toXcb(rect));
    const xcb_xfixes_region_t region = xcb_generate_id(c);
    xcb_xfixes_create_region(c, region, static_cast<std::uint32_t>(xcbRects.size()), xcbRects.data());
    xcb_xfixes_set_window_shape_region(c, window_, XCB_SHAPE_SK_INPUT, 0, 0, region);
    xcb_xfixes_destroy_region(c, region);
    xcb_flush(c);
}

void OverlayWindowSetup::setBoundingShape(const std::optional<QRegion>& region) const
{
    xcb_connection_t* c = display_.connection();
    if (!region) {
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window_, 0, 0, XCB_NONE);
    } else {
        const std::vector<xcb_rectangle_t> rects = rectanglesOf(*region);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, window_, 0, 0,
            static_cast<std::uint32_t>(rects.size()), rects.data());
    }
    xcb_flush(c);
}

std::vector<xcb_rectangle_t> OverlayWindowSetup::rectanglesOf(const QRegion& region)
{
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(static_cast<std::size_t>(region.rectCount()));
    for (const QRect& rect : region) {
        rects.push_back({ static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
            static_cast<std::uint16_t>(rect.width()), static_cast<std::uint16_t>(rect.height()) });
    }
    return rects;
}

} // namespace kestrane
