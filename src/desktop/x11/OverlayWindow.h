#pragma once

#include "edge/EdgeSurface.h"
#include "x11/DragSelectionRequests.h"
#include "x11/FocusHandback.h"
#include "x11/SelectionWatcher.h"
#include "x11/X11Display.h"

#include <QWidget>

#include <memory>

namespace kestrane {

class Backdrop;
class Edge;
class OverlayWindowSetup;
class PointerApproach;
class StackingGuard;
class UnblendedCover;
class WindowInput;

// The edge's surface on X11: one borderless, translucent window over the screen under the
// pointer. It bypasses the window manager, so that no managed window, full-screen or not,
// can cover it, takes clicks only where the edge wants them through its input shape, and
// takes the keyboard focus only while the edge needs keys. Without a compositor to blend
// it, it shows only where the edge draws, and paints a picture of the desktop behind where
// it must cover more.
class OverlayWindow final : public QWidget, public EdgeSurface {
public:
    explicit OverlayWindow(const X11Display& display);
    ~OverlayWindow() override;

    // The edge it shows and tells of input: set before the window is shown, and taken
    // away (null) before the edge goes.
    void attach(Edge* edge);

    std::optional<Screen> screenAt(QPoint global) const override;
    Pointer pointer() const override;
    bool seesPointerEverywhere() const override { return true; }
    void place(const QRect& frame) override;
    QRect frame() const override { return geometry(); }
    void setClickable(const std::vector<Rect>& inSurface) override;
    void repaint(const QRegion& inSurface) override { update(inSurface); }
    void focus(KeyFocus::Action action) override { focus_->apply(action); }
    bool hasFocus() const override { return isActiveWindow(); }
    void takeAllKeys(bool take) override;
    void wantTextInput(bool want) override;
    DragOutcome dragOut(const ResolvedPocketItems& items, int iconSize) override;
    const QMimeData* clipboard() const override;
    std::uint64_t dragSelectionChanges() const override { return dragWatcher_.changes(); }
    void wantDesktopPicture(bool wanted, const QRect& screenInDevicePixels) override;
    QImage desktopPicture() const override;
    // XWayland's root window shows none of the native windows.
    bool picturesDesktop() const override { return !waylandSession_; }
    void showOnly(const QRegion& painted, const QRegion& covered) override;
    void watchApproach(const std::optional<Approach>& approach) override;
    double scale() const override { return devicePixelRatioF(); }
    int logicalDpi() const override { return logicalDpiY(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void wake();
    void fitBandTo(const QRegion& shown);

    const X11Display& display_;
    Edge* edge_ = nullptr;
    std::unique_ptr<OverlayWindowSetup> setup_;
    std::unique_ptr<FocusHandback> focus_;
    std::unique_ptr<StackingGuard> stacking_;
    SelectionWatcher dragWatcher_;
    DragSelectionRequests dragRequests_;
    std::unique_ptr<PointerApproach> approach_;
    std::unique_ptr<UnblendedCover> cover_;
    // What lies behind the window, for the layers that blur it.
    std::unique_ptr<Backdrop> backdrop_;
    // Under a Wayland session the X server keeps reporting where the pointer last was over
    // an X window: it counts only while it is over the window or a press lasts.
    bool waylandSession_ = false;
    // The frame the edge asked for.
    QRect placed_;
    WindowInput* input_;
};

} // namespace kestrane
