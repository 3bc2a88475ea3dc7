#include "wayland/WaylandDrag.h"

#include "edge/DragOutOffer.h"
#include "platform/Log.h"
#include "wayland/PipeWriter.h"
#include "wayland/ShmBuffer.h"
#include "wayland/WaylandDataDevice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMimeData>
#include <QTimer>

#include <wayland-client.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kestrane {

namespace {
// Qt names a text "text/plain"; Wayland programs look for its encoding, or X11's name.
WaylandDrag::Forms formsOf(const QMimeData& data)
{
    WaylandDrag::Forms forms;
    for (const QString& format : data.formats()) {
        const QByteArray bytes = data.data(format);
        forms.emplace_back(format.toUtf8(), bytes);
        if (format == "text/plain") {
            forms.emplace_back("text/plain;charset=utf-8", bytes);
            forms.emplace_back("UTF8_STRING", bytes);
        }
    }
    return forms;
}
} // namespace

const wl_data_source_listener WaylandDrag::sourceListener {
    [](void* data, wl_data_source*, const char*) { static_cast<WaylandDrag*>(data)->heard_ = true; },
    [](void* data, wl_data_source*, const char* type, std::int32_t fd) { static_cast<WaylandDrag*>(data)->send(type, fd); },
    [](void* data, wl_data_source*) { static_cast<WaylandDrag*>(data)->state_ = State::cancelled; },
    [](void* data, wl_data_source*) { static_cast<WaylandDrag*>(data)->state_ = State::released; },
    [](void* data, wl_data_source*) { static_cast<WaylandDrag*>(data)->state_ = State::finished; },
    [](void* data, wl_data_source*, std::uint32_t) { static_cast<WaylandDrag*>(data)->heard_ = true; },
};

WaylandDrag::WaylandDrag(wl_display* display, wl_compositor* compositor, wl_shm* shm, WaylandDataDevice& device)
    : display_(display)
    , compositor_(compositor)
    , shm_(shm)
    , device_(device)
{
}

EdgeSurface::DragOutcome WaylandDrag::run(const ResolvedPocketItems& items, int iconSize, const Origin& origin)
{
    const DragOutOffer offer(items);
    forms_ = formsOf(*offer.data());
    state_ = State::running;
    readAfterRelease_ = false;
    heard_ = false;
    wl_data_source* source = wl_data_device_manager_create_data_source(device_.manager());
    wl_data_source_add_listener(source, &sourceListener, this);
    for (const auto& form : forms_)
        wl_data_source_offer(source, form.first.constData());
    wl_data_source_set_actions(source, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY);
    wl_surface* icon = wl_compositor_create_surface(compositor_);
    wl_data_device_start_drag(device_.device(), source, origin.surface, icon, origin.serial);
    const auto iconBuffer = showIcon(icon, offer.icons(iconSize * origin.scale), origin.scale);
    wl_display_flush(display_);

    // The compositor runs the drag; the edge goes on with its frames meanwhile. One that would
    // not start it says nothing at all, where a drag begun comes at once onto the surface.
    const std::uint64_t entered = device_.dragsEntered();
    QTimer::singleShot(startTimeoutMs, [this, entered] {
        if (state_ == State::running && !heard_ && device_.dragsEntered() == entered) {
            logLine("Kestrane: the compositor did not start the drag out");
            state_ = State::cancelled;
        }
    });
    QEventLoop loop;
    while (state_ == State::running || state_ == State::released)
        loop.processEvents(QEventLoop::WaitForMoreEvents);

    wl_data_source_destroy(source);
    wl_surface_destroy(icon);
    forms_.clear();
    // A receiver that read the drop but let it go unfinished (some toolkits do) took it all
    // the same: its files must stay for it.
    const bool dropped = state_ == State::finished || readAfterRelease_;
    offer.finish(dropped, QCoreApplication::instance());
    // Alt cannot be seen during a drag on Wayland: the keyboard is with the receiver.
    return { dropped, false };
}

std::unique_ptr<ShmBuffer> WaylandDrag::showIcon(wl_surface* icon, const QImage& picture, int scale) const
{
    auto buffer = ShmBuffer::create(shm_, picture.size());
    if (!buffer)
        return nullptr;
    std::memcpy(buffer->image().bits(), picture.convertToFormat(QImage::Format_ARGB32_Premultiplied).constBits(),
        static_cast<std::size_t>(buffer->image().sizeInBytes()));
    wl_surface_set_buffer_scale(icon, scale);
    wl_surface_attach(icon, buffer->buffer(), 0, 0);
    wl_surface_damage_buffer(icon, 0, 0, picture.width(), picture.height());
    wl_surface_commit(icon);
    return buffer;
}

void WaylandDrag::send(const char* type, int fd)
{
    const auto form = std::find_if(forms_.begin(), forms_.end(), [type](const auto& each) { return each.first == type; });
    heard_ = true;
    readAfterRelease_ = readAfterRelease_ || state_ == State::released;
    if (form == forms_.end()) {
        close(fd);
        return;
    }
    PipeWriter::start(fd, form->second);
}

} // namespace kestrane
