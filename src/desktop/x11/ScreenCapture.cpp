#include "x11/ScreenCapture.h"

namespace kestrane {

QImage captureScreen(const X11Display& display, const QRect& area)
{
    xcb_connection_t* c = display.connection();
    const auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, display.root(), static_cast<std::int16_t>(area.x()),
        static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height()), ~0u);
    xcb_generic_error_t* error = nullptr;
    const auto image = owned(xcb_get_image_reply(c, cookie, &error));
    std::free(error);
    // Only the 24- and 32-bit depths of today's screens come as 32-bit pixels.
    if (!image || image->depth < 24 || xcb_get_image_data_length(image.get()) < area.width() * area.height() * 4)
        return {};
    return QImage(xcb_get_image_data(image.get()), area.width(), area.height(), QImage::Format_RGB32).copy();
}

} // namespace kestrane
