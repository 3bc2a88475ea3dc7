#pragma once

#include "app/FrameLoop.h"
#include "app/KeyFocus.h"
#include "app/RowPress.h"
#include "views/DrawerView.h"
#include "views/EditChrome.h"
#include "views/EdgeCanvas.h"
#include "views/OnboardingView.h"
#include "window/Backdrop.h"
#include "window/FramePacer.h"
#include "window/UnblendedCover.h"
#include "x11/DragSelectionRequests.h"
#include "x11/FocusHandback.h"
#include "x11/OverlayWindowSetup.h"
#include "x11/PointerApproach.h"
#include "x11/SelectionWatcher.h"
#include "x11/StackingGuard.h"
#include "x11/X11Display.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace kestrane {

class DesktopModel;
class Keyboard;
struct PullOffer;

// The one borderless, translucent window over the screen under the pointer. It draws the
// edge, runs the frame loop, takes clicks only where the edge wants them, receives drops
// and starts the drags that pull items out of a pocket. It bypasses the window manager,
// so that no managed window, full-screen or not, can cover it, and it takes the keyboard
// focus only while something on it needs keys. Without a compositor to blend it, it shows
// only where it draws, and paints a picture of the desktop behind where it must cover more.
// At rest it is only a band along the right edge of the screen; it grows to the whole
// screen while a drawer, edit mode or the introduction needs it.
class OverlayWindow final : public QWidget {
    Q_OBJECT

public:
    OverlayWindow(DesktopModel& model, const X11Display& display);
    ~OverlayWindow() override;

    // Moves the window onto the screen holding the point (global coordinates).
    void retarget(QPoint globalPoint, bool force);
    void openEditMode();
    void toggleEditMode();
    void setKeyboard(Keyboard* keyboard) { keyboard_ = keyboard; }

    // Something may move: frames run again at the screen's rate.
    void wake();
    // Prints the frames of every second in which any ran.
    void reportFrames();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void tick();
    void stepFrame();
    void paintLayers(const QRegion& area);
    FrameInput sampleInput();
    void applyClickableRegion(const std::vector<Rect>& rects);
    void followPointerAcrossScreens(QPoint globalPoint);
    void syncFocus(double now);
    void pace(const FrameOutput& output);
    PointerApproach::Area approachArea() const;
    void fitToNeed(const FrameOutput& output);
    void setWholeScreen(bool whole);
    QRect frameFor(bool wholeScreen) const;
    // Where the window's top-left corner lies on its screen; the engine and the canvas
    // work in the screen's coordinates.
    QPoint origin() const { return geometry().topLeft() - screenArea_.topLeft(); }
    Point onScreen(QPointF windowPoint) const;
    void updateShape(const FrameOutput& output);
    double uptime() const;
    void updateDragLocation(QPoint local);
    void pullOut(const PullOffer& offer);
    void repaintChanges(const FrameInput& input);
    bool pressDrawer(QPointF at);
    bool releaseDrawer(QPointF at);
    void dragRowOut(const ResolvedPocketItems::value_type& item);
    void openRow(const ResolvedPocketItem& item);
    bool drawerKey(int key);

    DesktopModel& model_;
    const X11Display& display_;
    std::unique_ptr<OverlayWindowSetup> setup_;
    std::unique_ptr<FocusHandback> focus_;
    std::unique_ptr<StackingGuard> stacking_;
    SelectionWatcher dragWatcher_;
    DragSelectionRequests dragRequests_;
    FrameLoop loop_;
    KeyFocus keyFocus_;
    EdgeCanvas canvas_;
    DrawerView drawer_;
    // A press the drawer took: on a row (a click or a drag) or on a row's remove button.
    std::optional<DrawerView::Hit> drawerPress_;
    bool drawerSwallowedPress_ = false;
    bool keyboardGrabbed_ = false;
    // When the last wheel event arrived, in uptime seconds.
    double lastWheel_ = -1;
    RowPress rowPress_;
    FramePacer pacer_;
    QElapsedTimer clock_;
    QTimer memoryRelease_;
    std::unique_ptr<PointerApproach> approach_;
    std::unique_ptr<UnblendedCover> cover_;
    // What lies behind the overlay, for the layers that blur it.
    std::unique_ptr<Backdrop> backdrop_;
    OnboardingView introduction_;
    EditChrome chrome_;
    QRegion painted_;
    std::uint64_t shapedRevision_ = 0;
    std::uint64_t paintedRevision_ = 0;
    // The screen the overlay is on, and whether the window covers all of it or only a
    // band along its right edge.
    QRect screenArea_;
    bool wholeScreen_ = false;
    // Under a Wayland session the X server keeps reporting where the pointer last was over
    // an X window: it counts only while it is over the overlay.
    bool waylandSession_ = false;
    bool pointerInside_ = false;
    std::optional<std::vector<Rect>> appliedRegion_;
    bool isMouseDown_ = false;
    bool wasEditing_ = false;
    Keyboard* keyboard_ = nullptr;
};

} // namespace kestrane
