#include "window/OverlayWindow.h"

#include "app/DesktopModel.h"
#include "app/KeyCodes.h"
#include "app/Keyboard.h"
#include "services/FreedMemory.h"
#include "services/MimePasteboard.h"
#include "window/ClipboardPaste.h"
#include "window/ItemOpener.h"
#include "window/PullDrag.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QTransform>

#include <cmath>
#include <iostream>

namespace kestrane {

namespace {
// Long enough for the views' pictures and the whole-screen buffer to have gone.
constexpr int memoryReleaseDelay = 1500;
// A wheel's notch scrolls the drawer by a row.
constexpr double wheelNotchDistance = 46;
constexpr int angleDeltaPerNotch = 120;
constexpr int rowDragIconSize = 44;
constexpr int warmUpDelay = 500;
constexpr int pullIconSize = 56;
// The band the window keeps to at rest: wide enough for a swollen bulge and for the drop
// strip of a drag (FrameLoop::systemDragReach); a wider bulge makes it grow.
constexpr int bandWidth = 160;

QRectF translated(const Rect& rect, QPoint by)
{
    return QRectF(rect.x, rect.y, rect.width, rect.height).translated(by);
}

QRegion regionOf(const std::vector<Rect>& rects, QPoint by)
{
    QRegion region;
    for (const Rect& rect : rects)
        region += translated(rect, by).toAlignedRect();
    return region;
}

} // namespace

OverlayWindow::OverlayWindow(DesktopModel& model, const X11Display& display)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::NoDropShadowWindowHint | Qt::X11BypassWindowManagerHint)
    , model_(model)
    , display_(display)
    , dragWatcher_(display, "XdndSelection", [this] { wake(); })
    , dragRequests_(display)
    , loop_(model.engine(), model.onboarding())
    , pacer_([this] { tick(); })
    , chrome_({ model.engine(), model.preferences(), model.defaults(), model.onboarding() }, *this)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setWindowTitle("Kestrane");
    waylandSession_ = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    screenArea_ = QRect(0, 0, 1440, 900);
    setGeometry(frameFor(false));
    winId();
    const auto window = static_cast<xcb_window_t>(winId());
    setup_ = std::make_unique<OverlayWindowSetup>(display_, window);
    setup_->applyWindowHints();
    focus_ = std::make_unique<FocusHandback>(display_, window);
    stacking_ = std::make_unique<StackingGuard>(display_, window);
    canvas_.setLogicalDpi(logicalDpiY());
    applyClickableRegion({});
    cover_ = std::make_unique<UnblendedCover>(display_, *setup_, [this] {
        update();
        wake();
    });
    backdrop_ = std::make_unique<Backdrop>(display_, window, *cover_, [this] { wake(); });
    stacking_->onWindowsChanged([this] { backdrop_->windowsChanged(); });

    clock_.start();
    loop_.restart(0);
    memoryRelease_.setSingleShot(true);
    memoryRelease_.setInterval(memoryReleaseDelay);
    connect(&memoryRelease_, &QTimer::timeout, this, [] { returnFreedMemory(); });
    approach_ = std::make_unique<PointerApproach>(this, [this] { wake(); });
    model_.setChangeListener([this] { wake(); });
    // Loading fonts, the icon theme and the MIME database takes longer than a frame: done
    // once at start, not while the first drawer opens.
    QTimer::singleShot(warmUpDelay, this, [this] { drawer_.warmUp(); });
}

OverlayWindow::~OverlayWindow() = default;

void OverlayWindow::retarget(QPoint globalPoint, bool force)
{
    if (!force && screenArea_.contains(globalPoint))
        return;
    QScreen* screen = QGuiApplication::screenAt(globalPoint);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (!force && screenArea_ == screen->geometry())
        return;
    screenArea_ = screen->geometry();
    model_.engine().setSize({ static_cast<double>(screenArea_.width()), static_cast<double>(screenArea_.height()) });
    setGeometry(frameFor(wholeScreen_));
    pacer_.setRefreshRate(screen->refreshRate());
    update();
}

QRect OverlayWindow::frameFor(bool wholeScreen) const
{
    if (wholeScreen)
        return screenArea_;
    return { screenArea_.right() + 1 - bandWidth, screenArea_.top(), bandWidth, screenArea_.height() };
}

// The window changes size only when what it must cover changes: the whole screen for a
// drawer, edit mode and the introduction, or a bulge wider than the band.
void OverlayWindow::fitToNeed(const FrameOutput& output)
{
    const QRectF drawn = canvas_.paintedBounds();
    const bool bulgeBeyondBand = !drawn.isEmpty() && drawn.left() < screenArea_.width() - bandWidth;
    setWholeScreen(output.wholeScreen || bulgeBeyondBand);
}

void OverlayWindow::setWholeScreen(bool whole)
{
    if (whole == wholeScreen_)
        return;
    wholeScreen_ = whole;
    setGeometry(frameFor(whole));
    update();
    // Once the views that covered the screen have let their pictures go.
    if (whole)
        memoryRelease_.stop();
    else
        memoryRelease_.start();
}

Point OverlayWindow::onScreen(QPointF windowPoint) const
{
    return { windowPoint.x() + origin().x(), windowPoint.y() + origin().y() };
}

void OverlayWindow::openEditMode()
{
    if (auto pointer = display_.queryPointer())
        retarget(QPoint(pointer->x, pointer->y) / devicePixelRatioF(), false);
    model_.engine().setEditing(true);
    setWholeScreen(true);
    applyClickableRegion({ { 0, 0, static_cast<double>(screenArea_.width()), static_cast<double>(screenArea_.height()) } });
    raise();
}

void OverlayWindow::toggleEditMode()
{
    if (model_.engine().state().isEditing)
        model_.engine().setEditing(false);
    else
        openEditMode();
}

void OverlayWindow::wake()
{
    if (pacer_.pace() == FramePacer::Pace::asleep)
        approach_->stop();
    pacer_.wake();
}

void OverlayWindow::reportFrames()
{
    pacer_.reportFramesEachSecond([](int frames, double longest) {
        std::cout << "FRAMES " << frames << " longest=" << longest * 1000 << "ms" << std::endl;
    });
}

double OverlayWindow::uptime() const
{
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

FrameInput OverlayWindow::sampleInput()
{
    FrameInput input;
    input.now = uptime();
    input.dragSelectionChanges = dragWatcher_.changes();
    input.pressHeld = isMouseDown_;
    input.lastWheel = lastWheel_;
    if (const auto pointer = display_.queryPointer()) {
        const double scale = devicePixelRatioF();
        const Point global { pointer->x / scale, pointer->y / scale };
        input.buttonsDown = pointer->buttonsDown;
        if (waylandSession_ && !pointerInside_ && !isMouseDown_)
            return input;
        input.mouse = global;
        const QRect& screen = screenArea_;
        if (screen.contains(QPoint(static_cast<int>(global.x), static_cast<int>(global.y))))
            input.local = Point { global.x - screen.x(), global.y - screen.y() };
    }
    return input;
}

void OverlayWindow::tick()
{
    QElapsedTimer work;
    work.start();
    stepFrame();
    pacer_.addWork(static_cast<double>(work.nsecsElapsed()) / 1e9);
}

void OverlayWindow::stepFrame()
{
    const FrameInput input = sampleInput();
    BezelEngine& engine = model_.engine();
    const FrameOutput output = loop_.tick(input, [&](double dt) {
        model_.onboarding().step(dt, Onboarding::screenPerimeter(screenArea_.width(), screenArea_.height()));
        const bool moving = drawer_.step(dt, input.now) | chrome_.step(dt);
        if (moving)
            engine.requestStep();
        return moving;
    });
    if (!output.stepped)
        return;
    if (output.pointerMoved && input.mouse)
        followPointerAcrossScreens(QPoint(static_cast<int>(input.mouse->x), static_cast<int>(input.mouse->y)));
    applyClickableRegion(output.clickable);
    syncFocus(input.now);
    if (engine.revision() != paintedRevision_ || output.pointerMoved)
        repaintChanges(input);
    const double scale = devicePixelRatioF();
    backdrop_->want(model_.onboarding().isRunning() || engine.state().editProgress.value > 0.01, QTransform::fromScale(scale, scale).mapRect(screenArea_));
    introduction_.update(model_.onboarding(), backdrop_->picture(), screenArea_.size());
    chrome_.update(input.local ? std::optional(QPointF(input.local->x, input.local->y)) : std::nullopt, backdrop_->picture(), origin());
    update(introduction_.changedRegion().united(chrome_.changedRegion()).translated(-origin()));
    fitToNeed(output);
    updateShape(output);
    pace(output);
}

void OverlayWindow::repaintChanges(const FrameInput& input)
{
    BezelEngine& engine = model_.engine();
    const auto pointer = input.local ? std::optional(QPointF(input.local->x, input.local->y)) : std::nullopt;
    drawer_.update(engine, pointer);
    if (engine.revision() == paintedRevision_)
        return update(drawer_.changedRegion().translated(-origin()));
    paintedRevision_ = engine.revision();
    canvas_.update(engine);
    update(QRegion(canvas_.changedRegion()).united(drawer_.changedRegion()).translated(-origin()));
}

// Without a compositor the window shows only the edge and, while it must cover more,
// a picture of the desktop behind that area.
void OverlayWindow::updateShape(const FrameOutput& output)
{
    if (!cover_->isActive())
        return;
    // The painted region is scan-converted once per drawn frame, not on every tick.
    if (shapedRevision_ != paintedRevision_) {
        shapedRevision_ = paintedRevision_;
        painted_ = canvas_.paintedRegion();
    }
    const QRect device = QTransform::fromScale(devicePixelRatioF(), devicePixelRatioF()).mapRect(geometry());
    cover_->update(painted_.translated(-origin()), regionOf(output.covered, -origin()), device);
}

void OverlayWindow::pace(const FrameOutput& output)
{
    const auto pace = output.asleep ? FramePacer::Pace::asleep : output.idle ? FramePacer::Pace::slow : FramePacer::Pace::active;
    if (pace == pacer_.pace())
        return;
    pacer_.setPace(pace);
    if (pace == FramePacer::Pace::asleep)
        approach_->watch(approachArea());
}

// A sleeping loop wakes when the pointer leaves this screen, comes within reach of the
// edge, or moves with a button held.
PointerApproach::Area OverlayWindow::approachArea() const
{
    const double scale = devicePixelRatioF();
    const QRect screen = QTransform::fromScale(scale, scale).mapRect(screenArea_);
    const double reachFrom = screenArea_.x() + screenArea_.width() - FrameLoop::wakeReach;
    return { screen, static_cast<int>(std::ceil(reachFrom * scale)), scale };
}

void OverlayWindow::applyClickableRegion(const std::vector<Rect>& rects)
{
    if (appliedRegion_ == rects)
        return;
    appliedRegion_ = rects;
    // A Wayland compositor gives the window every click on it whatever its input shape;
    // taking them all in X too tells the overlay when the pointer enters and leaves it.
    if (waylandSession_) {
        setup_->setInputRegion({ { 0, 0, static_cast<double>(width()), static_cast<double>(height()) } });
        return;
    }
    std::vector<Rect> inWindow;
    for (const Rect& rect : rects) {
        const QRectF moved = translated(rect, -origin());
        inWindow.push_back({ moved.x(), moved.y(), moved.width(), moved.height() });
    }
    setup_->setInputRegion(inWindow);
}

void OverlayWindow::followPointerAcrossScreens(QPoint globalPoint)
{
    const BezelState& state = model_.engine().state();
    if (!state.isEditing && !isMouseDown_ && state.editProgress.value < 0.01)
        retarget(globalPoint, false);
}

void OverlayWindow::syncFocus(double now)
{
    const BezelState& state = model_.engine().state();
    const bool editingBegan = state.isEditing && !wasEditing_;
    wasEditing_ = state.isEditing;
    // The edit controls keep clear of a panel along the bottom of the screen.
    if (editingBegan && screen())
        model_.engine().updateBottomInset(screen()->geometry().bottom() - screen()->availableGeometry().bottom());
    const KeyFocus::Situation situation { state.isEditing, state.wantsOpen, model_.onboarding().isRunning(), isActiveWindow(), now };
    switch (keyFocus_.sync(situation)) {
    case KeyFocus::Action::take: focus_->take(true); break;
    case KeyFocus::Action::retake: focus_->take(false); break;
    case KeyFocus::Action::handBack: focus_->handBack(); break;
    case KeyFocus::Action::none: break;
    }
    // While a shortcut is recorded the keyboard is grabbed, so that a combination another
    // program has grabbed reaches the recorder instead of that program.
    const bool recording = model_.preferences().isRecordingShortcut();
    if (recording != keyboardGrabbed_) {
        keyboardGrabbed_ = recording;
        recording ? grabKeyboard() : releaseKeyboard();
    }
}

void OverlayWindow::paintEvent(QPaintEvent* event)
{
    QElapsedTimer work;
    work.start();
    paintLayers(event->region());
    pacer_.addWork(static_cast<double>(work.nsecsElapsed()) / 1e9);
}

void OverlayWindow::paintLayers(const QRegion& area)
{
    QPainter painter(this);
    cover_->paintBackground(painter, area.boundingRect());
    painter.translate(-origin());
    const QRegion screenArea = area.translated(origin());
    chrome_.paintBackdrop(painter);
    // Stroking the edge's outline costs the same however little of it is repainted.
    if (screenArea.intersects(canvas_.paintedBounds().adjusted(-8, -8, 8, 8).toAlignedRect()))
        canvas_.paint(painter);
    drawer_.paint(painter);
    chrome_.paint(painter, screenArea);
    introduction_.paint(painter);
}

void OverlayWindow::resizeEvent(QResizeEvent*)
{
    cover_->forgetPicture();
    appliedRegion_.reset();
    wake();
}

void OverlayWindow::moveEvent(QMoveEvent*)
{
    wake();
}

void OverlayWindow::mousePressEvent(QMouseEvent* event)
{
    wake();
    // While the introduction runs, a click anywhere moves it on and reaches nothing else.
    if (model_.onboarding().isRunning()) {
        model_.onboarding().advance();
        return;
    }
    isMouseDown_ = true;
    const Point at = onScreen(event->position());
    if (pressDrawer({ at.x, at.y }))
        return;
    if (chrome_.hitAt({ at.x, at.y }))
        return chrome_.press({ at.x, at.y });
    model_.engine().mouseDown(at);
}

void OverlayWindow::mouseMoveEvent(QMouseEvent* event)
{
    wake();
    const Point at = onScreen(event->position());
    if (drawerPress_) {
        if (drawerPress_->part == DrawerView::Part::row && rowPress_.becomesDrag(at))
            dragRowOut(drawerPress_->item);
        return;
    }
    if (drawerSwallowedPress_)
        return;
    if (auto offer = model_.engine().mouseDragged(at))
        pullOut(*offer);
}

void OverlayWindow::mouseReleaseEvent(QMouseEvent* event)
{
    wake();
    if (model_.onboarding().isRunning())
        return;
    isMouseDown_ = false;
    const Point at = onScreen(event->position());
    if (!chrome_.release({ at.x, at.y }) && !releaseDrawer({ at.x, at.y }))
        model_.engine().mouseUp(at);
}

// The open drawer's list takes the presses that land on it; the rest go to the edge, where
// a press away from every pocket closes the drawer.
bool OverlayWindow::pressDrawer(QPointF at)
{
    drawerPress_ = drawer_.hitAt(at);
    drawerSwallowedPress_ = !drawerPress_ && drawer_.takesInput() && drawer_.contains(at);
    if (drawerPress_ && drawerPress_->part == DrawerView::Part::row)
        rowPress_.press({ at.x(), at.y() });
    return drawerPress_ || drawerSwallowedPress_;
}

bool OverlayWindow::releaseDrawer(QPointF at)
{
    const auto press = std::exchange(drawerPress_, std::nullopt);
    if (std::exchange(drawerSwallowedPress_, false))
        return true;
    if (!press)
        return false;
    if (press->part == DrawerView::Part::row) {
        if (rowPress_.release())
            openRow(*press->item);
        return true;
    }
    const auto hit = drawer_.hitAt(at);
    if (hit && hit->part == DrawerView::Part::removeButton && hit->item == press->item)
        model_.engine().removeOpenItem(press->item->id);
    return true;
}

void OverlayWindow::openRow(const ResolvedPocketItem& item)
{
    openItem(item);
    model_.engine().closeDrawer();
    model_.engine().setEditing(false);
}

// One item dragged out of its row, offered for copying; it stays in the pocket.
void OverlayWindow::dragRowOut(const ResolvedPocketItems::value_type& item)
{
    drawerPress_.reset();
    if (!item->available)
        return;
    model_.engine().beginRowDrag();
    PullDrag(this, { item }, rowDragIconSize, dragRequests_).exec();
    isMouseDown_ = false;
}

void OverlayWindow::wheelEvent(QWheelEvent* event)
{
    wake();
    lastWheel_ = uptime();
    const QPointF at = event->position() + origin();
    const auto frame = model_.engine().drawerFrame();
    if (!drawer_.contains(at) && !(frame && QRectF(frame->x, frame->y, frame->width, frame->height).contains(at)))
        return;
    // Touchpads report the distance itself; a wheel reports notches.
    if (!event->pixelDelta().isNull())
        drawer_.scroll(-event->pixelDelta().y(), false, uptime());
    else
        drawer_.scroll(-event->angleDelta().y() * wheelNotchDistance / angleDeltaPerNotch, true, uptime());
}

bool OverlayWindow::drawerKey(int key)
{
    if (!drawer_.takesInput() || model_.engine().state().isEditing)
        return false;
    switch (key) {
    case Qt::Key_Up: drawer_.moveHighlight(-1); break;
    case Qt::Key_Down: drawer_.moveHighlight(1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const auto item = drawer_.hoveredItem())
            openRow(*item);
        break;
    case Qt::Key_Delete: drawer_.removeHighlighted(model_.engine()); break;
    default: return false;
    }
    model_.engine().requestStep();
    return true;
}

void OverlayWindow::pullOut(const PullOffer& offer)
{
    PullDrag drag(this, offer.items, pullIconSize, dragRequests_);
    const PullDrag::Outcome outcome = drag.exec();
    // The receiver may copy the files after the drop: the store keeps them readable.
    model_.engine().finishPull(offer, outcome.accepted && !outcome.copyRequested);
    isMouseDown_ = false;
}

void OverlayWindow::updateDragLocation(QPoint local)
{
    wake();
    model_.engine().updateDragPayload(onScreen(local));
}

void OverlayWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!MimePasteboard::offersAnything(*event->mimeData())) {
        event->ignore();
        return;
    }
    updateDragLocation(event->position().toPoint());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void OverlayWindow::dragMoveEvent(QDragMoveEvent* event)
{
    updateDragLocation(event->position().toPoint());
    if (model_.engine().state().dropTarget) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void OverlayWindow::dragLeaveEvent(QDragLeaveEvent*)
{
    model_.engine().endSystemDrag();
}

void OverlayWindow::dropEvent(QDropEvent* event)
{
    updateDragLocation(event->position().toPoint());
    const bool taken = model_.engine().acceptDrop(MimePasteboard(*event->mimeData()));
    model_.engine().endSystemDrag();
    // A refusal (nothing could be stored) must reach the source as one, so that it
    // keeps what it offered.
    event->setDropAction(taken ? Qt::CopyAction : Qt::IgnoreAction);
    event->setAccepted(taken);
}

void OverlayWindow::enterEvent(QEnterEvent*)
{
    pointerInside_ = true;
    wake();
}

void OverlayWindow::leaveEvent(QEvent*)
{
    pointerInside_ = false;
    wake();
}

bool OverlayWindow::event(QEvent* event)
{
    // A window that takes the focus while the overlay needs keys is answered by the next frames.
    if (event->type() == QEvent::WindowDeactivate)
        wake();
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPointF at = help->pos() + origin();
    const QString drawerHelp = drawer_.helpAt(at);
    const QString text = drawerHelp.isEmpty() ? chrome_.helpAt(at) : drawerHelp;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void OverlayWindow::keyPressEvent(QKeyEvent* event)
{
    wake();
    if (drawerKey(event->key()))
        return;
    if (event->matches(QKeySequence::Paste) && pasteIntoOpenDrawer(model_.engine()))
        return;
    const auto key = keyEventFrom(*event);
    if (key && keyboard_ && keyboard_->keyDown(*key))
        return;
    QWidget::keyPressEvent(event);
}

} // namespace kestrane
