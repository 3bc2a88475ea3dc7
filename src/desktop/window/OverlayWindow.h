#pragma once

#include "app/FrameLoop.h"
#include "views/EdgeCanvas.h"
#include "x11/DragSelectionWatcher.h"
#include "x11/OverlayWindowSetup.h"
#include "x11/X11Display.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace kestrane {

class DesktopModel;
class Keyboard;
struct PullOffer;

// The one borderless, translucent window over the screen under the pointer. It draws the
// edge, runs the frame loop, takes clicks only where the edge wants them, receives drops
// and starts the drags that pull items out of a pocket.
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void tick();
    FrameInput sampleInput();
    void applyClickableRegion(const std::vector<Rect>& rects);
    void followPointerAcrossScreens(QPoint globalPoint);
    void syncFocus();
    void updateDragLocation(QPoint local);
    void pullOut(const PullOffer& offer);

    DesktopModel& model_;
    const X11Display& display_;
    std::unique_ptr<OverlayWindowSetup> setup_;
    DragSelectionWatcher dragWatcher_;
    FrameLoop loop_;
    EdgeCanvas canvas_;
    QTimer frameTimer_;
    QElapsedTimer clock_;
    std::uint64_t paintedRevision_ = 0;
    std::optional<std::vector<Rect>> appliedRegion_;
    bool isMouseDown_ = false;
    bool wasEditing_ = false;
    bool wasDrawerOpen_ = false;
    Keyboard* keyboard_ = nullptr;
};

} // namespace kestrane
