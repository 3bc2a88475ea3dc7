#include "wayland/WaylandConnection.h"

#include "platform/Log.h"

#include "kde-blur-client-protocol.h"
#include "wayland/LayerShellProtocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace kestrane {

namespace {
// The versions the edge is written for; a compositor's older ones are taken as they are.
constexpr std::uint32_t compositorVersion = 4;
constexpr std::uint32_t seatVersion = 5;
constexpr std::uint32_t outputVersion = 2;
constexpr std::uint32_t dataDeviceVersion = 3;
constexpr std::uint32_t wantedLayerShellVersion = 4;
// From 3 on, an output's logical place ends with the output's own "done".
constexpr std::uint32_t outputManagerVersion = 3;
// From 3 on, a picture's buffer offers end with "buffer_done".
constexpr std::uint32_t screenCopierVersion = 3;
} // namespace

const wl_registry_listener WaylandConnection::registryListener {
    [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<WaylandConnection*>(data)->bind(name, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t name) { static_cast<WaylandConnection*>(data)->forget(name); },
};

const wl_output_listener WaylandConnection::outputListener {
    [](void* data, wl_output* output, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t, const char*, const char*,
        std::int32_t) {
        if (WaylandOutput* known = static_cast<WaylandConnection*>(data)->outputFor(output))
            known->position = QPoint(x, y);
    },
    [](void* data, wl_output* output, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t refresh) {
        WaylandOutput* known = static_cast<WaylandConnection*>(data)->outputFor(output);
        if (!known || !(flags & WL_OUTPUT_MODE_CURRENT))
            return;
        known->modeSize = QSize(width, height);
        known->refreshRate = refresh / 1000.0;
    },
    [](void* data, wl_output* output) { static_cast<WaylandConnection*>(data)->outputDone(output); },
    [](void* data, wl_output* output, std::int32_t factor) {
        if (WaylandOutput* known = static_cast<WaylandConnection*>(data)->outputFor(output))
            known->scale = std::max(1, factor);
    },
    nullptr,
    nullptr,
};

const zxdg_output_v1_listener WaylandConnection::logicalListener {
    [](void* data, zxdg_output_v1* logical, std::int32_t x, std::int32_t y) {
        if (WaylandOutput* known = static_cast<WaylandConnection*>(data)->outputFor(logical))
            known->logicalArea = QRect(QPoint(x, y), known->logicalArea.value_or(QRect()).size());
    },
    [](void* data, zxdg_output_v1* logical, std::int32_t width, std::int32_t height) {
        if (WaylandOutput* known = static_cast<WaylandConnection*>(data)->outputFor(logical))
            known->logicalArea = QRect(known->logicalArea.value_or(QRect()).topLeft(), QSize(width, height));
    },
    [](void*, zxdg_output_v1*) {},
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

const wl_seat_listener WaylandConnection::seatListener {
    [](void* data, wl_seat*, std::uint32_t capabilities) {
        auto* self = static_cast<WaylandConnection*>(data);
        self->seatCapabilities_ = capabilities;
        if (self->seatChanged_)
            self->seatChanged_(capabilities);
    },
    [](void*, wl_seat*, const char*) {},
};

std::unique_ptr<WaylandConnection> WaylandConnection::connect()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        logLine("Kestrane: no Wayland compositor to connect to (" + std::string(std::strerror(errno)) + ")");
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The globals, then the first round of each output's properties.
    connection->roundtrip();
    connection->roundtrip();
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display)
    : display_(display)
    , registry_(wl_display_get_registry(display))
{
    wl_registry_add_listener(registry_, &registryListener, this);
}

void WaylandConnection::listen()
{
    auto* notifier = new QSocketNotifier(wl_display_get_fd(display_), QSocketNotifier::Read, this);
    QObject::connect(notifier, &QSocketNotifier::activated, this, [this] { readEvents(); });
    // Requests wait in the connection's buffer until the event loop is about to sleep; so
    // do events a roundtrip read along with its answer.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        wl_display_dispatch_pending(display_);
        wl_display_flush(display_);
    });
}

WaylandConnection::~WaylandConnection()
{
    for (const WaylandOutput& output : outputs_) {
        if (output.logical)
            zxdg_output_v1_destroy(output.logical);
        wl_output_destroy(output.output);
    }
    if (outputManager_)
        zxdg_output_manager_v1_destroy(outputManager_);
    if (blurManager_)
        org_kde_kwin_blur_manager_destroy(blurManager_);
    if (screenCopier_)
        zwlr_screencopy_manager_v1_destroy(screenCopier_);
    if (layerShell_)
        zwlr_layer_shell_v1_destroy(layerShell_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (dataDevices_)
        wl_data_device_manager_destroy(dataDevices_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandConnection::roundtrip()
{
    if (wl_display_roundtrip(display_) < 0)
        logLine("Kestrane: the Wayland connection failed (" + std::string(std::strerror(wl_display_get_error(display_))) + ")");
}

void WaylandConnection::readEvents()
{
    if (wl_display_dispatch(display_) >= 0)
        return;
    logLine("Kestrane: the Wayland compositor closed the connection; quitting");
    QCoreApplication::exit(1);
}

void WaylandConnection::bind(std::uint32_t name, const char* interface, std::uint32_t version)
{
    const auto bound = [&](const wl_interface& type, std::uint32_t wanted) {
        return wl_registry_bind(registry_, name, &type, std::min(version, wanted));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        compositor_ = static_cast<wl_compositor*>(bound(wl_compositor_interface, compositorVersion));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        shm_ = static_cast<wl_shm*>(bound(wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_data_device_manager_interface.name) == 0)
        dataDevices_ = static_cast<wl_data_device_manager*>(bound(wl_data_device_manager_interface, dataDeviceVersion));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_) {
        seat_ = static_cast<wl_seat*>(bound(wl_seat_interface, seatVersion));
        wl_seat_add_listener(seat_, &seatListener, this);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        layerShellVersion_ = std::min(version, wantedLayerShellVersion);
        layerShell_ = static_cast<zwlr_layer_shell_v1*>(bound(zwlr_layer_shell_v1_interface, wantedLayerShellVersion));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0)
        addOutput(name, version);
    else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        outputManager_ = static_cast<zxdg_output_manager_v1*>(bound(zxdg_output_manager_v1_interface, outputManagerVersion));
        for (WaylandOutput& output : outputs_)
            describe(output);
    } else if (std::strcmp(interface, org_kde_kwin_blur_manager_interface.name) == 0)
        blurManager_ = static_cast<org_kde_kwin_blur_manager*>(bound(org_kde_kwin_blur_manager_interface, 1));
    else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0)
        screenCopier_ = static_cast<zwlr_screencopy_manager_v1*>(bound(zwlr_screencopy_manager_v1_interface, screenCopierVersion));
}

void WaylandConnection::addOutput(std::uint32_t name, std::uint32_t version)
{
    WaylandOutput output;
    output.name = name;
    output.output = static_cast<wl_output*>(wl_registry_bind(registry_, name, &wl_output_interface, std::min(version, outputVersion)));
    wl_output_add_listener(output.output, &outputListener, this);
    outputs_.push_back(output);
    describe(outputs_.back());
}

void WaylandConnection::forget(std::uint32_t name)
{
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(), [name](const WaylandOutput& output) { return output.name == name; });
    if (gone == outputs_.end())
        return;
    if (gone->logical)
        zxdg_output_v1_destroy(gone->logical);
    wl_output_destroy(gone->output);
    outputs_.erase(gone);
    if (outputsChanged_)
        outputsChanged_();
}

const WaylandOutput* WaylandConnection::outputNamed(std::uint32_t name) const
{
    const auto found = std::find_if(outputs_.begin(), outputs_.end(), [name](const WaylandOutput& known) { return known.name == name; });
    return found == outputs_.end() ? nullptr : &*found;
}

WaylandOutput* WaylandConnection::outputFor(wl_output* output)
{
    const auto found =
        std::find_if(outputs_.begin(), outputs_.end(), [output](const WaylandOutput& known) { return known.output == output; });
    return found == outputs_.end() ? nullptr : &*found;
}

void WaylandConnection::outputDone(wl_output* output)
{
    WaylandOutput* known = outputFor(output);
    if (!known)
        return;
    known->announced = true;
    known->area = known->logicalArea.value_or(QRect(known->position, known->modeSize / known->scale));
    if (outputsChanged_)
        outputsChanged_();
}

void WaylandConnection::describe(WaylandOutput& output)
{
    if (!outputManager_ || output.logical)
        return;
    output.logical = zxdg_output_manager_v1_get_xdg_output(outputManager_, output.output);
    zxdg_output_v1_add_listener(output.logical, &logicalListener, this);
}

WaylandOutput* WaylandConnection::outputFor(zxdg_output_v1* logical)
{
    const auto found =
        std::find_if(outputs_.begin(), outputs_.end(), [logical](const WaylandOutput& known) { return known.logical == logical; });
    return found == outputs_.end() ? nullptr : &*found;
}

} // namespace kestrane
