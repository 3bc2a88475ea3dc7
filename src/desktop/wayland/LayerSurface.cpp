#include "wayland/LayerSurface.h"

#include "edge/Edge.h"
#include "platform/Log.h"
#include "wayland/WaylandConnection.h"

#include "wayland/LayerShellProtocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cmath>

namespace kestrane {

const zwlr_layer_surface_v1_listener LayerSurface::layerListener {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width, std::uint32_t height) {
        static_cast<LayerSurface*>(data)->configured(serial, QSize(static_cast<int>(width), static_cast<int>(height)));
    },
    [](void* data, zwlr_layer_surface_v1*) {
        // The compositor took the surface away (its output went): a new one is made where
        // the edge is placed next.
        auto* self = static_cast<LayerSurface*>(data);
        self->destroySurface();
        if (self->edge_)
            self->edge_->wake();
    },
};

LayerSurface::LayerSurface(WaylandConnection& connection)
    : connection_(connection)
    , frames_(connection.shm(), [this](QPainter& painter, const QRegion& region) {
        if (edge_)
            edge_->paint(painter, region);
    })
{
    connection_.onSeatChanged([this](std::uint32_t capabilities) { seatChanged(capabilities); });
    seatChanged(connection_.seatCapabilities());
    if (connection_.seat() && connection_.dataDevices())
        takeDataFromOthers();
    if (connection_.blurManager())
        blur_ = std::make_unique<CompositorBlur>(connection_.blurManager());
    else if (connection_.screenCopier())
        screenCopy_ = std::make_unique<ScreenCopy>(connection_.screenCopier(), connection_.shm(), [this] {
            frames_.hold(false);
            if (edge_)
                edge_->wake();
        });
}

LayerSurface::~LayerSurface()
{
    connection_.onSeatChanged({});
    drag_.reset();
    drop_.reset();
    selection_.reset();
    dataDevice_.reset();
    pointer_.reset();
    keyboard_.reset();
    destroySurface();
}

void LayerSurface::seatChanged(std::uint32_t capabilities)
{
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !pointer_) {
        pointer_ = std::make_unique<WaylandPointer>(connection_.seat(), connection_.compositor(), connection_.shm(),
            WaylandPointer::Handlers {
                .enteredOrLeft = [this](wl_surface* over) { pointerCameOnto(over); },
                .moved =
                    [this](QPointF at) {
                        if (pointerOverEdge())
                            edge_->move(at);
                    },
                .pressed =
                    [this](QPointF at) {
                        if (pointerOverEdge())
                            edge_->press(at);
                    },
                .released =
                    [this](QPointF at) {
                        if (pointerOverEdge())
                            edge_->release(at);
                    },
                .turned =
                    [this](QPointF at, WheelTurn turn) {
                        if (pointerOverEdge())
                            edge_->turnWheel(at, turn);
                    },
            });
    } else if (!hasPointer)
        pointer_.reset();
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (hasKeyboard && !keyboard_) {
        keyboard_ = std::make_unique<WaylandKeyboard>(
            connection_.seat(),
            [this](bool) {
                if (edge_)
                    edge_->wake();
            },
            [this](const KeyPress& press) {
                if (edge_ && !edge_->pressKey(press))
                    edge_->wake();
            });
    } else if (!hasKeyboard)
        keyboard_.reset();
}

// The selection for pastes, drags of other programs for drops, and drags out.
void LayerSurface::takeDataFromOthers()
{
    wl_display* display = connection_.display();
    dataDevice_ = std::make_unique<WaylandDataDevice>(connection_.dataDevices(), connection_.seat());
    selection_ = std::make_unique<WaylandSelection>(display, *dataDevice_);
    drop_ = std::make_unique<WaylandDrop>(display, *dataDevice_, [this](wl_surface* over) -> Edge* {
        if (surface_ && over == surface_)
            return edge_;
        pointerCameOnto(over);
        return nullptr;
    });
    drag_ = std::make_unique<WaylandDrag>(display, connection_.compositor(), connection_.shm(), *dataDevice_);
    dataDevice_->setHandlers({
        .selected = [this](const WaylandDataDevice::Offer& offer) { selection_->select(offer); },
        .dragEntered = [this](std::uint32_t serial, wl_surface* over, QPointF at,
                           const WaylandDataDevice::Offer& offer) { drop_->entered(serial, over, at, offer); },
        .dragMoved = [this](QPointF at) { drop_->moved(at); },
        .dragLeft = [this] { drop_->left(); },
        .dropped = [this] { drop_->dropped(); },
    });
}

const WaylandOutput* LayerSurface::outputAt(QPoint global) const
{
    const auto& outputs = connection_.outputs();
    const auto holding = std::find_if(
        outputs.begin(), outputs.end(), [global](const WaylandOutput& output) { return output.announced && output.area.contains(global); });
    if (holding != outputs.end())
        return &*holding;
    const auto any = std::find_if(outputs.begin(), outputs.end(), [](const WaylandOutput& output) { return output.announced; });
    return any == outputs.end() ? nullptr : &*any;
}

std::optional<EdgeSurface::Screen> LayerSurface::screenAt(QPoint global) const
{
    const WaylandOutput* output = outputAt(global);
    if (!output)
        return std::nullopt;
    return Screen { output->area, output->refreshRate, 0 };
}

EdgeSurface::Pointer LayerSurface::pointer() const
{
    // The compositor tells where the pointer is only while it is over the surface.
    if (draggingOut_)
        return { std::nullopt, true };
    if (!pointerOverEdge())
        return {};
    return { QPointF(frame().topLeft()) + pointer_->position(), pointer_->buttonDown() };
}

bool LayerSurface::pointerOverEdge() const
{
    return edge_ && pointer_ && surface_ && pointer_->over() == surface_;
}

// The pointer on another output's edge takes the pockets there.
void LayerSurface::pointerCameOnto(wl_surface* over)
{
    if (!edge_)
        return;
    const auto sentinel = std::find_if(sentinels_.begin(), sentinels_.end(), [over](const auto& each) { return each->surface() == over; });
    if (const WaylandOutput* output = sentinel == sentinels_.end() ? nullptr : connection_.outputNamed((*sentinel)->outputName()))
        edge_->retarget(output->area.center(), false);
    edge_->wake();
}

// Every output but the edge's watches for the pointer at its right edge.
void LayerSurface::watchOtherOutputs()
{
    const auto& outputs = connection_.outputs();
    std::erase_if(sentinels_, [&](const auto& sentinel) {
        return sentinel->outputName() == outputName_ || std::none_of(outputs.begin(), outputs.end(), [&](const WaylandOutput& output) {
            return output.name == sentinel->outputName();
        });
    });
    for (const WaylandOutput& output : outputs) {
        const bool watched =
            std::any_of(sentinels_.begin(), sentinels_.end(), [&](const auto& sentinel) { return sentinel->outputName() == output.name; });
        if (output.announced && output.name != outputName_ && !watched)
            sentinels_.push_back(std::make_unique<EdgeSentinel>(connection_, output));
    }
}

void LayerSurface::place(const QRect& frame)
{
    wanted_ = frame;
    const WaylandOutput* output = outputAt(frame.center());
    if (!output)
        return;
    if (!layer_ || output->name != outputName_) {
        destroySurface();
        createSurface(*output);
    }
    outputArea_ = output->area;
    if (output->scale != scale_) {
        scale_ = output->scale;
        frames_.attach(surface_, scale_);
        frames_.resize(size_);
    }
    applyPlacement();
    watchOtherOutputs();
}

void LayerSurface::createSurface(const WaylandOutput& output)
{
    outputName_ = output.name;
    scale_ = output.scale;
    surface_ = wl_compositor_create_surface(connection_.compositor());
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        connection_.layerShell(), surface_, output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "kestrane");
    zwlr_layer_surface_v1_add_listener(layer_, &layerListener, this);
    // Over panels too, reserving nothing: windows keep the whole output.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    if (blur_)
        blur_->blurBehind(surface_, backdrop_.has_value());
    frames_.attach(surface_, scale_);
    size_ = {};
}

void LayerSurface::destroySurface()
{
    frames_.detach();
    if (blur_)
        blur_->release();
    if (layer_)
        zwlr_layer_surface_v1_destroy(layer_);
    if (surface_)
        wl_surface_destroy(surface_);
    layer_ = nullptr;
    surface_ = nullptr;
    size_ = {};
}

// The band hangs from the top, the bottom and the right; the whole output is all four.
void LayerSurface::applyPlacement()
{
    const bool whole = wanted_.width() >= outputArea_.width();
    std::uint32_t anchors = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    if (whole)
        anchors |= ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;
    zwlr_layer_surface_v1_set_anchor(layer_, anchors);
    zwlr_layer_surface_v1_set_size(layer_, whole ? 0 : static_cast<std::uint32_t>(wanted_.width()), 0);
    wl_surface_commit(surface_);
}

QRect LayerSurface::frame() const
{
    if (size_.isEmpty())
        return wanted_;
    return { outputArea_.right() + 1 - size_.width(), outputArea_.top(), size_.width(), size_.height() };
}

void LayerSurface::configured(std::uint32_t serial, QSize size)
{
    zwlr_layer_surface_v1_ack_configure(layer_, serial);
    if (size == size_)
        return;
    size_ = size;
    // The clickable region is set again for the new size; until then the surface takes
    // no clicks rather than the whole band's.
    wl_region* none = wl_compositor_create_region(connection_.compositor());
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
    if (edge_)
        edge_->surfaceResized();
    frames_.resize(size_);
}

void LayerSurface::setClickable(const std::vector<Rect>& inSurface)
{
    if (!surface_)
        return;
    wl_region* region = wl_compositor_create_region(connection_.compositor());
    for (const Rect& rect : inSurface) {
        const QRect whole = QRectF(rect.x, rect.y, rect.width, rect.height).toAlignedRect();
        wl_region_add(region, whole.x(), whole.y(), whole.width(), whole.height());
    }
    wl_surface_set_input_region(surface_, region);
    wl_region_destroy(region);
    wl_surface_commit(surface_);
}

void LayerSurface::focus(KeyFocus::Action action)
{
    if (!layer_ || action == KeyFocus::Action::none)
        return;
    // Exclusive while the edge needs keys: the surface covers the output then, and takes
    // the keys at once rather than at the next click.
    const bool want = action != KeyFocus::Action::handBack;
    // A keyboard taken away meanwhile (KWin gives it to where a drag out dropped) comes back
    // only for a change of what the surface asks for.
    if (action == KeyFocus::Action::retake && keyboardAsked_) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
        wl_surface_commit(surface_);
    }
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, want ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    wl_surface_commit(surface_);
    // Only a keyboard the surface asked for is handed back by making it anew: KWin also gives
    // it the keys on a click, and a surface made anew between a press and its release would
    // lose the release.
    const bool asked = keyboardAsked_;
    keyboardAsked_ = want;
    if (!want && asked)
        recreateSurface();
}

// Some compositors (KWin) leave the keyboard with no window when a surface stops wanting
// it; one whose surface goes hands it to the window that had it before.
void LayerSurface::recreateSurface()
{
    const WaylandOutput* output = connection_.outputNamed(outputName_);
    if (!output)
        return;
    destroySurface();
    createSurface(*output);
    applyPlacement();
}

// The compositor's blur follows the windows behind live, under a tint the edge paints. A
// picture of the output is taken before the surface shows the backdrop, frames waiting
// meanwhile, since it holds the surface too; it is kept until the backdrop goes, for a
// picture taken later would blur the backdrop into itself.
void LayerSurface::wantDesktopPicture(bool wanted, const QRect& screenInDevicePixels)
{
    const auto backdrop = wanted ? std::optional(std::pair(outputName_, screenInDevicePixels)) : std::nullopt;
    if (backdrop == backdrop_)
        return;
    backdrop_ = backdrop;
    if (blur_ && surface_) {
        blur_->blurBehind(surface_, wanted);
        wl_surface_commit(surface_);
    }
    if (screenCopy_ && wanted)
        captureOutput();
    else if (screenCopy_) {
        screenCopy_->clear();
        frames_.hold(false);
    }
}

void LayerSurface::captureOutput()
{
    const WaylandOutput* output = connection_.outputNamed(outputName_);
    if (!output)
        return;
    frames_.hold(true);
    screenCopy_->capture(output->output);
}

EdgeSurface::DragOutcome LayerSurface::dragOut(const ResolvedPocketItems& items, int iconSize)
{
    if (!drag_ || !pointerOverEdge()) {
        logLine("Kestrane: no drag out without the seat's pointer and data device");
        return {};
    }
    ++dragsOut_;
    draggingOut_ = true;
    const DragOutcome outcome = drag_->run(items, iconSize, { surface_, pointer_->pressSerial(), scale_ });
    draggingOut_ = false;
    return outcome;
}

} // namespace kestrane
