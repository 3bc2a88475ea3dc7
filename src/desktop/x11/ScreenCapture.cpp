#include "x11/ScreenCapture.h"

#include <QPainter>
#include <QRegion>

#include <vector>

namespace kestrane {

namespace {
constexpr std::uint8_t deepest = 32;

// The pixels of a rectangle of a drawable, in its own coordinates.
QImage captureDrawable(const X11Display& display, xcb_drawable_t drawable, const QRect& area)
{
    return collectPixels(display, requestPixels(display, drawable, area));
}

struct Placed {
    xcb_window_t window;
    QRect frame;
};

// The windows stacked below `window` that show on the screen, bottom first, with the
// rectangle of their contents on the root window.
std::vector<Placed> shownBelow(const X11Display& display, xcb_window_t window)
{
    xcb_connection_t* c = display.connection();
    const auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, display.root()), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<xcb_window_t> below;
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()) && children[i] != window; ++i)
        below.push_back(children[i]);
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (const xcb_window_t child : below) {
        attributes.push_back(xcb_get_window_attributes(c, child));
        geometries.push_back(xcb_get_geometry(c, child));
    }
    std::vector<Placed> shown;
    for (std::size_t i = 0; i < below.size(); ++i) {
        const auto attribute = owned(xcb_get_window_attributes_reply(c, attributes[i], nullptr));
        const auto geometry = owned(xcb_get_geometry_reply(c, geometries[i], nullptr));
        if (!attribute || !geometry || attribute->map_state != XCB_MAP_STATE_VIEWABLE || attribute->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
            continue;
        const int border = geometry->border_width;
        shown.push_back({ below[i], QRect(geometry->x + border, geometry->y + border, geometry->width, geometry->height) });
    }
    return shown;
}

// The mean colour of the picture's pixels outside the region; black when it covers all.
QColor meanOutside(const QImage& picture, const QRegion& covered)
{
    constexpr int sampleStep = 4;
    double red = 0, green = 0, blue = 0, count = 0;
    for (int y = 0; y < picture.height(); y += sampleStep) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); x += sampleStep) {
            if (covered.contains(QPoint(x, y)))
                continue;
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
            ++count;
        }
    }
    if (count == 0)
        return Qt::black;
    return QColor(static_cast<int>(red / count), static_cast<int>(green / count), static_cast<int>(blue / count));
}

} // namespace

QImage captureScreen(const X11Display& display, const QRect& area)
{
    return captureDrawable(display, display.root(), area);
}

PixelRequest requestPixels(const X11Display& display, xcb_drawable_t drawable, const QRect& area)
{
    const auto cookie = xcb_get_image(display.connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(area.x()),
        static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height()), ~0u);
    xcb_flush(display.connection());
    return { cookie, area.size(), true };
}

QImage collectPixels(const X11Display& display, const PixelRequest& request)
{
    if (!request.valid)
        return {};
    xcb_generic_error_t* error = nullptr;
    const auto image = owned(xcb_get_image_reply(display.connection(), request.cookie, &error));
    std::free(error);
    const int width = request.size.width(), height = request.size.height();
    // Only the 24- and 32-bit depths of today's screens come as 32-bit pixels.
    if (!image || image->depth < 24 || xcb_get_image_data_length(image.get()) < width * height * 4)
        return {};
    // Windows with an alpha channel hold premultiplied pixels; the others leave the top
    // byte undefined, where a picture of them must say opaque.
    if (image->depth == deepest)
        return QImage(xcb_get_image_data(image.get()), width, height, QImage::Format_ARGB32_Premultiplied).copy();
    QImage picture = QImage(xcb_get_image_data(image.get()), width, height, QImage::Format_RGB32).copy();
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] |= 0xff000000u;
    }
    return picture;
}

PixelRequest requestRootBackground(const X11Display& display, const QRect& area)
{
    xcb_connection_t* c = display.connection();
    const auto cookie = xcb_get_property(c, 0, display.root(), display.atom("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 0, 1);
    const auto property = owned(xcb_get_property_reply(c, cookie, nullptr));
    if (!property || xcb_get_property_value_length(property.get()) != 4)
        return {};
    const xcb_pixmap_t pixmap = *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(property.get()));
    const auto geometry = owned(xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr));
    if (!geometry || !QRect(0, 0, geometry->width, geometry->height).contains(area))
        return {};
    return requestPixels(display, pixmap, area);
}

QImage desktopStandIn(const X11Display& display, xcb_window_t window, const QRect& area, const PixelRequest& screen)
{
    QImage picture = collectPixels(display, screen);
    if (picture.isNull())
        return {};
    QRegion covered;
    for (const Placed& placed : shownBelow(display, window))
        covered += (placed.frame & area).translated(-area.topLeft());
    const QColor desktop = meanOutside(picture, covered);
    QPainter painter(&picture);
    for (const QRect& part : covered)
        painter.fillRect(part, desktop);
    return picture;
}

QImage captureBelow(const X11Display& display, xcb_window_t window, const QRect& area, const QImage& background)
{
    QImage picture(area.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.drawImage(0, 0, background);
    for (const Placed& placed : shownBelow(display, window)) {
        const QRect part = placed.frame & area;
        if (part.isEmpty())
            continue;
        const QImage contents = captureDrawable(display, placed.window, part.translated(-placed.frame.topLeft()));
        painter.drawImage(part.topLeft() - area.topLeft(), contents);
    }
    return picture;
}

} // namespace kestrane
