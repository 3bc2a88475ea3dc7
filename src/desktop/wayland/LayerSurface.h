#pragma once

#include "edge/EdgeSurface.h"
#include "wayland/CompositorBlur.h"
#include "wayland/EdgeSentinel.h"
#include "wayland/ScreenCopy.h"
#include "wayland/SurfaceFrames.h"
#include "wayland/WaylandDataDevice.h"
#include "wayland/WaylandDrag.h"
#include "wayland/WaylandDrop.h"
#include "wayland/WaylandKeyboard.h"
#include "wayland/WaylandPointer.h"
#include "wayland/WaylandSelection.h"

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

struct zwlr_layer_surface_v1_listener;
struct wl_seat;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace kestrane {

class Edge;
class WaylandConnection;
struct WaylandOutput;

// The edge's surface in a Wayland session whose compositor has a layer shell: a layer
// surface on the overlay layer, anchored to the right edge of one output, above every
// window, full-screen ones included. It takes clicks only inside the clickable region, and
// the keyboard only while the edge asks for it. Frames are painted into shared memory and
// shown no faster than the compositor asks for them; at rest nothing runs at all.
class LayerSurface final : public QObject, public EdgeSurface {
public:
    explicit LayerSurface(WaylandConnection& connection);
    ~LayerSurface() override;

    void attach(Edge* edge) { edge_ = edge; }

    std::optional<Screen> screenAt(QPoint global) const override;
    Pointer pointer() const override;
    bool seesPointerEverywhere() const override { return false; }
    void place(const QRect& frame) override;
    QRect frame() const override;
    void setClickable(const std::vector<Rect>& inSurface) override;
    void repaint(const QRegion& inSurface) override { frames_.repaint(inSurface); }
    void focus(KeyFocus::Action action) override;
    bool hasFocus() const override { return keyboard_ && keyboard_->focused(); }
    void takeAllKeys(bool) override { }
    void wantTextInput(bool) override { }
    DragOutcome dragOut(const ResolvedPocketItems& items, int iconSize) override;
    const QMimeData* clipboard() const override { return selection_ ? selection_->contents() : nullptr; }
    std::uint64_t dragSelectionChanges() const override { return dragsOut_; }
    void wantDesktopPicture(bool wanted, const QRect& screenInDevicePixels) override;
    QImage desktopPicture() const override { return screenCopy_ ? screenCopy_->picture() : QImage(); }
    bool picturesDesktop() const override { return screenCopy_ != nullptr; }
    void showOnly(const QRegion&, const QRegion&) override { }
    void watchApproach(const std::optional<Approach>&) override { }
    double scale() const override { return scale_; }
    int logicalDpi() const override { return 96; }

private:
    const WaylandOutput* outputAt(QPoint global) const;
    void createSurface(const WaylandOutput& output);
    void destroySurface();
    void recreateSurface();
    void applyPlacement();
    void configured(std::uint32_t serial, QSize size);
    void seatChanged(std::uint32_t capabilities);
    void takeDataFromOthers();
    bool pointerOverEdge() const;
    void pointerCameOnto(wl_surface* over);
    void watchOtherOutputs();
    void captureOutput();

    static const struct zwlr_layer_surface_v1_listener layerListener;

    WaylandConnection& connection_;
    Edge* edge_ = nullptr;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    // The output the surface is on, by its name in the registry.
    std::uint32_t outputName_ = 0;
    QRect outputArea_;
    // What the edge asked for, and the size the compositor gave.
    QRect wanted_;
    QSize size_;
    int scale_ = 1;
    // The surface asked for the keyboard and has not handed it back.
    bool keyboardAsked_ = false;
    // Drags out started, and whether one runs: its button is held, though the compositor
    // tells the surface nothing of the pointer meanwhile.
    std::uint64_t dragsOut_ = 0;
    bool draggingOut_ = false;
    SurfaceFrames frames_;
    std::unique_ptr<WaylandPointer> pointer_;
    std::unique_ptr<WaylandKeyboard> keyboard_;
    std::vector<std::unique_ptr<EdgeSentinel>> sentinels_;
    std::unique_ptr<WaylandDataDevice> dataDevice_;
    std::unique_ptr<WaylandSelection> selection_;
    std::unique_ptr<WaylandDrop> drop_;
    std::unique_ptr<WaylandDrag> drag_;
    // The backdrop, by the compositor's blur or from a picture of the output (by its name
    // and area) while one is wanted; neither where the compositor offers neither.
    std::unique_ptr<CompositorBlur> blur_;
    std::unique_ptr<ScreenCopy> screenCopy_;
    std::optional<std::pair<std::uint32_t, QRect>> backdrop_;
};

} // namespace kestrane
