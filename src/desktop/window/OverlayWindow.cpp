#include "window/OverlayWindow.h"

#include "app/DesktopModel.h"
#include "app/KeyCodes.h"
#include "app/Keyboard.h"
#include "services/MimePasteboard.h"
#include "window/PullDrag.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>


namespace kestrane {

namespace {
constexpr int activeInterval = 8;
constexpr int idleInterval = 50;

Point toPoint(QPoint p)
{
    return { static_cast<double>(p.x()), static_cast<double>(p.y()) };
}
} // namespace

OverlayWindow::OverlayWindow(DesktopModel& model, const X11Display& display)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::NoDropShadowWindowHint | Qt::X11BypassWindowManagerHint)
    , model_(model)
    , display_(display)
    , dragWatcher_(display)
    , loop_(model.engine(), model.onboarding())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAcceptDrops(true);
    setWindowTitle("Kestrane");
    setGeometry(0, 0, 1440, 900);
    winId();
    setup_ = std::make_unique<OverlayWindowSetup>(display_, static_cast<xcb_window_t>(winId()));
    setup_->applyWindowHints();
    canvas_.setLogicalDpi(logicalDpiY());
    applyClickableRegion({});

    clock_.start();
    loop_.restart(0);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(activeInterval);
    connect(&frameTimer_, &QTimer::timeout, this, &OverlayWindow::tick);
    frameTimer_.start();
}

OverlayWindow::~OverlayWindow() = default;

void OverlayWindow::retarget(QPoint globalPoint, bool force)
{
    if (!force && geometry().contains(globalPoint))
        return;
    QScreen* screen = QGuiApplication::screenAt(globalPoint);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (!force && geometry() == screen->geometry())
        return;
    setGeometry(screen->geometry());
    update();
}

void OverlayWindow::openEditMode()
{
    if (auto pointer = display_.queryPointer())
        retarget(QPoint(pointer->x, pointer->y) / devicePixelRatioF(), false);
    model_.engine().setEditing(true);
    applyClickableRegion({ { 0, 0, static_cast<double>(width()), static_cast<double>(height()) } });
    raise();
    activateWindow();
}

void OverlayWindow::toggleEditMode()
{
    if (model_.engine().state().isEditing)
        model_.engine().setEditing(false);
    else
        openEditMode();
}

FrameInput OverlayWindow::sampleInput()
{
    FrameInput input;
    input.now = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    input.dragSelectionChanges = dragWatcher_.changes();
    input.pressHeld = isMouseDown_;
    if (const auto pointer = display_.queryPointer()) {
        const double scale = devicePixelRatioF();
        const Point global { pointer->x / scale, pointer->y / scale };
        input.mouse = global;
        input.buttonsDown = pointer->buttonsDown;
        const QRect frame = geometry();
        if (frame.contains(QPoint(static_cast<int>(global.x), static_cast<int>(global.y))))
            input.local = Point { global.x - frame.x(), global.y - frame.y() };
    }
    return input;
}

void OverlayWindow::tick()
{
    const FrameInput input = sampleInput();
    BezelEngine& engine = model_.engine();
    const FrameOutput output = loop_.tick(input, [&](double dt) {
        model_.onboarding().step(dt, Onboarding::screenPerimeter(width(), height()));
    });
    if (!output.stepped)
        return;
    if (output.pointerMoved && input.mouse)
        followPointerAcrossScreens(QPoint(static_cast<int>(input.mouse->x), static_cast<int>(input.mouse->y)));
    applyClickableRegion(output.clickable);
    syncFocus();
    if (engine.revision() != paintedRevision_) {
        paintedRevision_ = engine.revision();
        canvas_.update(engine);
        update(canvas_.changedRegion());
    }
    frameTimer_.setInterval(output.idle ? idleInterval : activeInterval);
}

void OverlayWindow::applyClickableRegion(const std::vector<Rect>& rects)
{
    if (appliedRegion_ == rects)
        return;
    appliedRegion_ = rects;
    setup_->setInputRegion(rects);
}

void OverlayWindow::followPointerAcrossScreens(QPoint globalPoint)
{
    const BezelState& state = model_.engine().state();
    if (!state.isEditing && !isMouseDown_ && state.editProgress.value < 0.01)
        retarget(globalPoint, false);
}

// The window takes keyboard focus only for edit mode and an open drawer, so that typing
// otherwise stays with the user's application.
void OverlayWindow::syncFocus()
{
    const BezelState& state = model_.engine().state();
    const bool opened = (state.isEditing && !wasEditing_) || (state.wantsOpen && !wasDrawerOpen_);
    const bool editingBegan = state.isEditing && !wasEditing_;
    wasEditing_ = state.isEditing;
    wasDrawerOpen_ = state.wantsOpen;
    // The edit controls keep clear of a panel along the bottom of the screen.
    if (editingBegan && screen())
        model_.engine().updateBottomInset(screen()->geometry().bottom() - screen()->availableGeometry().bottom());
    if (opened) {
        raise();
        activateWindow();
    }
}

void OverlayWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas_.paint(painter);
}

void OverlayWindow::resizeEvent(QResizeEvent*)
{
    model_.engine().setSize({ static_cast<double>(width()), static_cast<double>(height()) });
    appliedRegion_.reset();
}

void OverlayWindow::mousePressEvent(QMouseEvent* event)
{
    isMouseDown_ = true;
    model_.engine().mouseDown(toPoint(event->position().toPoint()));
}

void OverlayWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (auto offer = model_.engine().mouseDragged(toPoint(event->position().toPoint())))
        pullOut(*offer);
}

void OverlayWindow::mouseReleaseEvent(QMouseEvent* event)
{
    isMouseDown_ = false;
    model_.engine().mouseUp(toPoint(event->position().toPoint()));
}

void OverlayWindow::pullOut(const PullOffer& offer)
{
    PullDrag drag(this, offer.items);
    const PullDrag::Outcome outcome = drag.exec();
    // The receiver may copy the files after the drop: the store keeps them readable.
    model_.engine().finishPull(offer, outcome.accepted && !outcome.copyRequested);
    isMouseDown_ = false;
}

void OverlayWindow::updateDragLocation(QPoint local)
{
    model_.engine().updateDragPayload(toPoint(local));
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

void OverlayWindow::keyPressEvent(QKeyEvent* event)
{
    const auto key = keyEventFrom(*event);
    if (key && keyboard_ && keyboard_->keyDown(*key))
        return;
    QWidget::keyPressEvent(event);
}

} // namespace kestrane
