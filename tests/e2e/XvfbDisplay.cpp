#include "XvfbDisplay.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <stdexcept>

namespace kestrane::e2e {

namespace {
template <typename Reply> std::unique_ptr<Reply, void (*)(void*)> owned(Reply* reply)
{
    return { reply, std::free };
}

xcb_window_t rootOf(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}
} // namespace

XvfbDisplay::XvfbDisplay()
    : connection_(nullptr, xcb_disconnect)
{
    // -displayfd picks a free display number and writes it to our pipe once it listens.
    server_ = std::make_unique<ChildProcess>(
        QStringList { "Xvfb", "-displayfd", "1", "-screen", "0", QString("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp" },
        QProcessEnvironment::systemEnvironment(), ChildProcess::Diagnostics::discarded);
    const auto number = server_->readLine(milliseconds(10000));
    if (!number || number->empty())
        throw std::runtime_error("Xvfb did not report a display number");
    name_ = ":" + *number;
    connection_.reset(xcb_connect(name_.c_str(), nullptr));
    if (xcb_connection_has_error(connection_.get()))
        throw std::runtime_error("cannot connect to Xvfb on " + name_);

    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.insert("DISPLAY", QString::fromStdString(name_));

    setCompositing(true);
    windowManager_ =
        std::make_unique<ChildProcess>(QStringList { "openbox", "--sm-disable" }, environment_, ChildProcess::Diagnostics::discarded);
    if (!awaitOwner("WM_S0", true))
        throw std::runtime_error("openbox did not start on " + name_);
    // The first key through the test keyboard switches the server to that keyboard's key
    // map: pressed before any program starts, no program has to follow the switch.
    xdotool({ "key", "shift" });
}

void XvfbDisplay::setCompositing(bool on)
{
    if (on)
        compositor_ = std::make_unique<ChildProcess>(QStringList { "xcompmgr" }, environment_);
    else
        compositor_.reset();
    if (!awaitOwner("_NET_WM_CM_S0", on))
        throw std::runtime_error(std::string("xcompmgr did not ") + (on ? "start" : "stop") + " on " + name_);
}

// A window or compositing manager announces itself by owning a selection of the screen.
bool XvfbDisplay::awaitOwner(const std::string& selection, bool present) const
{
    xcb_connection_t* c = connection_.get();
    const xcb_atom_t name = atom(selection);
    return pollUntil(
        [&] {
            const auto owner = owned(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, name), nullptr));
            return owner && (owner->owner != XCB_NONE) == present;
        },
        milliseconds(5000));
}

unsigned XvfbDisplay::atom(const std::string& name) const
{
    xcb_connection_t* c = connection_.get();
    const auto reply = owned(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<pid_t> XvfbDisplay::processOf(unsigned window) const
{
    xcb_connection_t* c = connection_.get();
    const auto property =
        owned(xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (property && xcb_get_property_value_length(property.get()) == 4)
        return static_cast<pid_t>(*static_cast<const std::uint32_t*>(xcb_get_property_value(property.get())));
    return std::nullopt;
}

std::optional<pid_t> XvfbDisplay::processUnderPointer() const
{
    xcb_connection_t* c = connection_.get();
    // A managed window lies inside the window manager's frame: look down to the client.
    for (xcb_window_t window = rootOf(c);;) {
        const auto pointer = owned(xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
        if (!pointer || pointer->child == XCB_NONE)
            return std::nullopt;
        if (const auto process = processOf(window = pointer->child))
            return process;
    }
}

std::optional<pid_t> XvfbDisplay::processWithFocus() const
{
    xcb_connection_t* c = connection_.get();
    const auto focus = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus ? processOf(focus->focus) : std::nullopt;
}

// Another client's grab makes ours fail; a grab of our own is let go at once.
bool XvfbDisplay::keyboardGrabbed() const
{
    xcb_connection_t* c = connection_.get();
    const auto grab = owned(
        xcb_grab_keyboard_reply(c, xcb_grab_keyboard(c, 0, rootOf(c), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_flush(c);
    return grab && grab->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

void XvfbDisplay::fakeInput(std::uint8_t type, std::uint8_t detail, int x, int y) const
{
    xcb_connection_t* c = connection_.get();
    xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, rootOf(c), static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void XvfbDisplay::movePointer(int x, int y) const
{
    fakeInput(XCB_MOTION_NOTIFY, 0, x, y);
}

void XvfbDisplay::pressButton(bool down, int button) const
{
    fakeInput(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button), 0, 0);
}

void XvfbDisplay::xdotool(const QStringList& arguments) const
{
    ChildProcess tool(QStringList { "xdotool" } + arguments, environment_);
    if (tool.waitForExit(milliseconds(20000)) != 0)
        throw std::runtime_error("xdotool failed on " + name_ + " (" + arguments.front().toStdString() + " ...)");
}

// The compositor paints into the root window, so its contents are what the screen shows.
QImage XvfbDisplay::screenshot() const
{
    xcb_connection_t* c = connection_.get();
    const auto image =
        owned(xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, rootOf(c), 0, 0, width, height, ~0u), nullptr));
    if (!image)
        throw std::runtime_error("cannot read the screen of " + name_);
    return QImage(xcb_get_image_data(image.get()), width, height, QImage::Format_RGB32).copy();
}

} // namespace kestrane::e2e
