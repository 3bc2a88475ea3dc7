#pragma once

#include "app/FrameLoop.h"
#include "app/KeyFocus.h"
#include "app/LayerStack.h"
#include "app/RowPress.h"
#include "edge/EdgeSurface.h"
#include "edge/FramePacer.h"
#include "views/DrawerView.h"
#include "views/EdgeCanvas.h"
#include "views/EditChrome.h"
#include "views/OnboardingView.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRegion>
#include <QTimer>

#include <optional>
#include <vector>

class QMimeData;
class QPainter;

namespace kestrane {

class DesktopModel;
class Keyboard;
struct PullOffer;

// The edge on any surface: it runs the frame loop, steps the views, routes the surface's
// input through the layers (introduction, edit chrome, drawer, edge, top-most first),
// paints them, and tells the surface what to cover, where to take clicks and when it
// wants the keyboard. At rest the surface is a band along the right edge of the screen;
// it grows to the whole screen while a drawer, edit mode or the introduction needs it.
// Places from the surface are in surface coordinates.
class Edge final : public QObject {
public:
    // The band the surface keeps to at rest: wide enough for a swollen bulge and for the
    // drop strip of a drag (FrameLoop::systemDragReach); a wider bulge makes it grow.
    static constexpr int bandWidth = 160;

    Edge(DesktopModel& model, EdgeSurface& surface);
    ~Edge() override;

    // Moves the edge onto the screen holding the point (global coordinates).
    void retarget(QPoint globalPoint, bool force);
    void openEditMode();
    void toggleEditMode();
    void setKeyboard(Keyboard* keyboard) { keyboard_ = keyboard; }
    // Something may move: frames run again at the screen's rate.
    void wake();
    // Prints the frames of every second in which any ran.
    void reportFrames();
    // Where the surface's top-left corner lies on its screen.
    QPoint origin() const;

    void paint(QPainter& painter, const QRegion& inSurface);
    void press(QPointF inSurface);
    void move(QPointF inSurface);
    void release(QPointF inSurface);
    void turnWheel(QPointF inSurface, WheelTurn turn);
    // False when no layer wanted the key.
    bool pressKey(const KeyPress& press);
    // What an input method composes, and the text it settles on.
    void compose(const std::string& preedit, const std::string& commit);
    // Where the caret of a name being edited stands (in surface); empty while none is.
    QRectF caretRect() const;
    // A drag of another program: whether the edge wants what it offers at all, and then
    // whether a pocket lies under it.
    bool dragEntered(QPointF inSurface, const QMimeData& offered);
    bool dragMoved(QPointF inSurface);
    void dragLeft();
    // Whether the drop was taken; a refusal must reach the source as one.
    bool drop(QPointF inSurface, const QMimeData& offered);
    // The help shown for a place, empty for none.
    QString helpAt(QPointF inSurface) const;
    // The surface changed size: its clickable region is set again.
    void surfaceResized();

private:
    void tick();
    void stepFrame();
    FrameInput sampleInput() const;
    void buildLayers();
    void applyClickableRegion(const std::vector<Rect>& rects);
    void followPointerAcrossScreens(QPoint globalPoint);
    void syncFocus(double now);
    void pace(const FrameOutput& output);
    void fitToNeed(const FrameOutput& output);
    void setWholeScreen(bool whole);
    QRect frameFor(bool wholeScreen) const;
    Point onScreen(QPointF inSurface) const;
    double uptime() const;
    void repaintChanges(const FrameInput& input);
    void updateShape(const FrameOutput& output);
    bool pressDrawer(Point at);
    void releaseDrawer(Point at);
    void moveDrawer(Point at);
    bool turnDrawer(Point at, WheelTurn turn);
    bool drawerKey(const std::optional<KeyEvent>& key);
    bool chromeKey(const KeyPress& press);
    void dragRowOut(const ResolvedPocketItems::value_type& item);
    void openRow(const ResolvedPocketItem& item);
    void pullOut(const PullOffer& offer);

    DesktopModel& model_;
    EdgeSurface& surface_;
    FrameLoop loop_;
    KeyFocus keyFocus_;
    EdgeCanvas canvas_;
    DrawerView drawer_;
    // A press the drawer took: on a row (a click or a drag) or on a row's remove button.
    std::optional<DrawerView::Hit> drawerPress_;
    RowPress rowPress_;
    LayerStack layers_;
    bool keyboardGrabbed_ = false;
    bool wantsText_ = false;
    // When the last wheel turn came, in uptime seconds.
    double lastWheel_ = -1;
    FramePacer pacer_;
    QElapsedTimer clock_;
    QTimer memoryRelease_;
    OnboardingView introduction_;
    EditChrome chrome_;
    QRegion painted_;
    std::uint64_t shapedRevision_ = 0;
    std::uint64_t paintedRevision_ = 0;
    // The screen the edge is on, and whether the surface covers all of it or only a band
    // along its right edge.
    QRect screenArea_;
    bool wholeScreen_ = false;
    std::optional<std::vector<Rect>> appliedRegion_;
    bool wasEditing_ = false;
    Keyboard* keyboard_ = nullptr;
};

} // namespace kestrane
