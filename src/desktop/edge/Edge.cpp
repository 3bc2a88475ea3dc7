#include "edge/Edge.h"

#include "app/DrawerKeys.h"
#include "app/Keyboard.h"
#include "desktop/app/DesktopModel.h"
#include "edge/ClipboardPaste.h"
#include "edge/ItemOpener.h"
#include "services/FreedMemory.h"
#include "services/MimePasteboard.h"
#include "views/styles/TextPlate.h"

#include <QMimeData>
#include <QPainter>
#include <QTransform>

#include <iostream>

namespace kestrane {

namespace {
// Long enough for the views' pictures and the whole-screen buffer to have gone.
constexpr int memoryReleaseDelay = 1500;
// A wheel's notch scrolls the drawer by a row.
constexpr double wheelNotchDistance = 46;
constexpr int rowDragIconSize = 44;
constexpr int warmUpDelay = 500;
constexpr int pullIconSize = 56;

QPointF pointOf(Point point)
{
    return { point.x, point.y };
}

QRegion regionOf(const std::vector<Rect>& rects, QPoint by)
{
    QRegion region;
    for (const Rect& rect : rects)
        region += QRectF(rect.x, rect.y, rect.width, rect.height).translated(by).toAlignedRect();
    return region;
}
} // namespace

Edge::Edge(DesktopModel& model, EdgeSurface& surface)
    : model_(model)
    , surface_(surface)
    , loop_(model.engine(), model.introduction())
    , pacer_([this] { tick(); })
    , chrome_({ model.engine(), model.preferences(), model.defaults(), model.introduction() })
{
    screenArea_ = QRect(0, 0, 1440, 900);
    surface_.place(frameFor(false));
    canvas_.setLogicalDpi(surface_.logicalDpi());
    TextPlate::assumeLightDesktop(!surface_.picturesDesktop());
    applyClickableRegion({});
    buildLayers();
    clock_.start();
    loop_.restart(0);
    memoryRelease_.setSingleShot(true);
    memoryRelease_.setInterval(memoryReleaseDelay);
    connect(&memoryRelease_, &QTimer::timeout, this, [] { returnFreedMemory(); });
    model_.setChangeListener([this] { wake(); });
    // Loading fonts, the icon theme and the MIME database takes longer than a frame: done
    // once at start, not while the first drawer opens.
    QTimer::singleShot(warmUpDelay, this, [this] { drawer_.warmUp(); });
}

Edge::~Edge() = default;

// Top-most first: the introduction takes every press and moves on; edit mode's controls;
// the open drawer's list; the edge itself, where a press away from every pocket closes
// the drawer.
void Edge::buildLayers()
{
    layers_.add({ .press = [this](Point) {
        if (!model_.introduction().isRunning())
            return false;
        model_.introduction().advance();
        return true;
    } });
    layers_.add({
        .press =
            [this](Point at) {
                if (!chrome_.hitAt(pointOf(at)))
                    return false;
                chrome_.press(pointOf(at));
                return true;
            },
        .move = [this](Point at) { chrome_.drag(pointOf(at)); },
        .release = [this](Point at) { chrome_.release(pointOf(at)); },
        .key = [this](const KeyPress& press) { return chromeKey(press); },
    });
    layers_.add({
        .press = [this](Point at) { return pressDrawer(at); },
        .move = [this](Point at) { moveDrawer(at); },
        .release = [this](Point at) { releaseDrawer(at); },
        .wheel = [this](Point at, WheelTurn turn) { return turnDrawer(at, turn); },
        .key = [this](const KeyPress& press) { return drawerKey(press.key); },
    });
    layers_.add({
        .press =
            [this](Point at) {
                model_.engine().mouseDown(at);
                return true;
            },
        .move =
            [this](Point at) {
                if (auto offer = model_.engine().mouseDragged(at))
                    pullOut(*offer);
            },
        .release = [this](Point at) { model_.engine().mouseUp(at); },
        .key = [this](const KeyPress& press) { return keyboard_ && press.key && keyboard_->keyDown(*press.key); },
    });
}

void Edge::retarget(QPoint globalPoint, bool force)
{
    if (!force && screenArea_.contains(globalPoint))
        return;
    const auto screen = surface_.screenAt(globalPoint);
    if (!screen || (!force && screenArea_ == screen->area))
        return;
    screenArea_ = screen->area;
    model_.engine().setSize({ static_cast<double>(screenArea_.width()), static_cast<double>(screenArea_.height()) });
    surface_.place(frameFor(wholeScreen_));
    pacer_.setRefreshRate(screen->refreshRate);
    surface_.repaint(QRect(QPoint(), surface_.frame().size()));
}

QRect Edge::frameFor(bool wholeScreen) const
{
    if (wholeScreen)
        return screenArea_;
    return { screenArea_.right() + 1 - bandWidth, screenArea_.top(), bandWidth, screenArea_.height() };
}

QPoint Edge::origin() const
{
    return surface_.frame().topLeft() - screenArea_.topLeft();
}

// The surface changes size only when what it must cover changes: the whole screen for a
// drawer, edit mode and the introduction, or a bulge wider than the band.
void Edge::fitToNeed(const FrameOutput& output)
{
    const QRectF drawn = canvas_.paintedBounds();
    const bool bulgeBeyondBand = !drawn.isEmpty() && drawn.left() < screenArea_.width() - bandWidth;
    setWholeScreen(output.wholeScreen || bulgeBeyondBand);
}

void Edge::setWholeScreen(bool whole)
{
    if (whole == wholeScreen_)
        return;
    wholeScreen_ = whole;
    surface_.place(frameFor(whole));
    surface_.repaint(QRect(QPoint(), surface_.frame().size()));
    // Once the views that covered the screen have let their pictures go.
    if (whole)
        memoryRelease_.stop();
    else
        memoryRelease_.start();
}

Point Edge::onScreen(QPointF inSurface) const
{
    return { inSurface.x() + origin().x(), inSurface.y() + origin().y() };
}

void Edge::openEditMode()
{
    if (const auto pointer = surface_.pointer().global)
        retarget(pointer->toPoint(), false);
    model_.engine().setEditing(true);
    setWholeScreen(true);
    applyClickableRegion({ { 0, 0, static_cast<double>(screenArea_.width()), static_cast<double>(screenArea_.height()) } });
}

void Edge::toggleEditMode()
{
    if (model_.engine().state().isEditing)
        model_.engine().setEditing(false);
    else
        openEditMode();
}

void Edge::wake()
{
    if (pacer_.pace() == FramePacer::Pace::asleep)
        surface_.watchApproach(std::nullopt);
    pacer_.wake();
}

void Edge::reportFrames()
{
    pacer_.reportFramesEachSecond(
        [](int frames, double longest) { std::cout << "FRAMES " << frames << " longest=" << longest * 1000 << "ms" << std::endl; });
}

double Edge::uptime() const
{
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

FrameInput Edge::sampleInput() const
{
    FrameInput input;
    input.now = uptime();
    input.dragSelectionChanges = surface_.dragSelectionChanges();
    input.pressHeld = layers_.isPressed();
    input.lastWheel = lastWheel_;
    const EdgeSurface::Pointer pointer = surface_.pointer();
    input.buttonsDown = pointer.buttonsDown;
    if (!pointer.global)
        return input;
    const Point global { pointer.global->x(), pointer.global->y() };
    input.mouse = global;
    if (screenArea_.contains(pointer.global->toPoint()))
        input.local = Point { global.x - screenArea_.x(), global.y - screenArea_.y() };
    return input;
}

void Edge::tick()
{
    QElapsedTimer work;
    work.start();
    stepFrame();
    pacer_.addWork(static_cast<double>(work.nsecsElapsed()) / 1e9);
}

void Edge::stepFrame()
{
    const FrameInput input = sampleInput();
    BezelEngine& engine = model_.engine();
    const FrameOutput output = loop_.tick(input, [&](double dt) {
        model_.introduction().step(dt, Onboarding::screenPerimeter(screenArea_.width(), screenArea_.height()));
        const bool moving = drawer_.step(dt, input.now) | chrome_.step(dt);
        if (moving)
            engine.requestStep();
        return moving;
    });
    if (!output.stepped)
        return;
    if (output.pointerMoved && input.mouse)
        followPointerAcrossScreens(QPoint(static_cast<int>(input.mouse->x), static_cast<int>(input.mouse->y)));
    applyClickableRegion(surface_.seesPointerEverywhere() ? output.clickable : output.clickableUnseen);
    syncFocus(input.now);
    if (chrome_.editsName() != wantsText_) {
        wantsText_ = chrome_.editsName();
        surface_.wantTextInput(wantsText_);
    }
    if (engine.revision() != paintedRevision_ || output.pointerMoved)
        repaintChanges(input);
    const double scale = surface_.scale();
    surface_.wantDesktopPicture(model_.introduction().isRunning() || engine.state().editProgress.value > 0.01,
        QTransform::fromScale(scale, scale).mapRect(screenArea_));
    const QImage backdrop = surface_.desktopPicture();
    introduction_.update(model_.introduction(), backdrop, screenArea_.size());
    chrome_.setScale(scale);
    chrome_.update(input.local ? std::optional(pointOf(*input.local)) : std::nullopt, backdrop, origin());
    surface_.repaint(introduction_.changedRegion().united(chrome_.changedRegion()).translated(-origin()));
    fitToNeed(output);
    updateShape(output);
    pace(output);
}

void Edge::repaintChanges(const FrameInput& input)
{
    BezelEngine& engine = model_.engine();
    drawer_.update(engine, input.local ? std::optional(pointOf(*input.local)) : std::nullopt);
    if (engine.revision() == paintedRevision_)
        return surface_.repaint(drawer_.changedRegion().translated(-origin()));
    paintedRevision_ = engine.revision();
    canvas_.update(engine);
    surface_.repaint(QRegion(canvas_.changedRegion()).united(drawer_.changedRegion()).translated(-origin()));
}

void Edge::updateShape(const FrameOutput& output)
{
    // The painted region is scan-converted once per drawn frame, not on every tick.
    if (shapedRevision_ != paintedRevision_) {
        shapedRevision_ = paintedRevision_;
        painted_ = canvas_.paintedRegion();
    }
    surface_.showOnly(painted_.translated(-origin()), regionOf(output.covered, -origin()));
}

void Edge::pace(const FrameOutput& output)
{
    const auto pace = output.asleep ? FramePacer::Pace::asleep : output.idle ? FramePacer::Pace::slow : FramePacer::Pace::active;
    if (pace == pacer_.pace())
        return;
    pacer_.setPace(pace);
    if (pace == FramePacer::Pace::asleep)
        surface_.watchApproach(EdgeSurface::Approach { screenArea_, screenArea_.x() + screenArea_.width() - FrameLoop::wakeReach });
}

void Edge::applyClickableRegion(const std::vector<Rect>& rects)
{
    if (appliedRegion_ == rects)
        return;
    appliedRegion_ = rects;
    std::vector<Rect> inSurface;
    for (const Rect& rect : rects)
        inSurface.push_back({ rect.x - origin().x(), rect.y - origin().y(), rect.width, rect.height });
    surface_.setClickable(inSurface);
}

void Edge::surfaceResized()
{
    // The same places of the screen take clicks: in surface coordinates they moved.
    const auto region = appliedRegion_;
    appliedRegion_.reset();
    applyClickableRegion(region.value_or(std::vector<Rect> {}));
    wake();
}

void Edge::followPointerAcrossScreens(QPoint globalPoint)
{
    const BezelState& state = model_.engine().state();
    if (!state.isEditing && !layers_.isPressed() && state.editProgress.value < 0.01)
        retarget(globalPoint, false);
}

void Edge::syncFocus(double now)
{
    const BezelState& state = model_.engine().state();
    const bool editingBegan = state.isEditing && !wasEditing_;
    wasEditing_ = state.isEditing;
    // The edit controls keep clear of a panel along the bottom of the screen.
    if (editingBegan) {
        if (const auto screen = surface_.screenAt(screenArea_.center()))
            model_.engine().updateBottomInset(screen->bottomInset);
    }
    const KeyFocus::Situation situation { state.isEditing, state.wantsOpen, model_.introduction().isRunning(), surface_.hasFocus(), now };
    surface_.focus(keyFocus_.sync(situation));
    // While a shortcut is recorded the keyboard is grabbed, so that a combination another
    // program has grabbed reaches the recorder instead of that program.
    const bool recording = model_.preferences().isRecordingShortcut();
    if (recording != keyboardGrabbed_) {
        keyboardGrabbed_ = recording;
        surface_.takeAllKeys(recording);
    }
}

void Edge::paint(QPainter& painter, const QRegion& inSurface)
{
    QElapsedTimer work;
    work.start();
    painter.translate(-origin());
    const QRegion area = inSurface.translated(origin());
    chrome_.paintBackdrop(painter);
    // Stroking the edge's outline costs the same however little of it is repainted.
    if (area.intersects(canvas_.paintedBounds().adjusted(-8, -8, 8, 8).toAlignedRect()))
        canvas_.paint(painter);
    drawer_.paint(painter);
    chrome_.paint(painter, area);
    introduction_.paint(painter);
    pacer_.addWork(static_cast<double>(work.nsecsElapsed()) / 1e9);
}

void Edge::press(QPointF inSurface)
{
    wake();
    layers_.press(onScreen(inSurface));
}

void Edge::move(QPointF inSurface)
{
    wake();
    layers_.move(onScreen(inSurface));
}

void Edge::release(QPointF inSurface)
{
    wake();
    layers_.release(onScreen(inSurface));
}

void Edge::turnWheel(QPointF inSurface, WheelTurn turn)
{
    wake();
    lastWheel_ = uptime();
    layers_.wheel(onScreen(inSurface), turn);
}

bool Edge::pressKey(const KeyPress& press)
{
    wake();
    return layers_.key(press);
}

void Edge::compose(const std::string& preedit, const std::string& commit)
{
    wake();
    chrome_.compose(preedit, commit);
}

QRectF Edge::caretRect() const
{
    const QRectF caret = chrome_.caretRect();
    return caret.isEmpty() ? caret : caret.translated(-origin());
}

// The open drawer's list takes the presses that land on it, and swallows those on the
// rest of its area.
bool Edge::pressDrawer(Point at)
{
    drawerPress_ = drawer_.hitAt(pointOf(at));
    if (drawerPress_ && drawerPress_->part == DrawerView::Part::row)
        rowPress_.press(at);
    return drawerPress_ || (drawer_.takesInput() && drawer_.contains(pointOf(at)));
}

void Edge::moveDrawer(Point at)
{
    if (drawerPress_ && drawerPress_->part == DrawerView::Part::row && rowPress_.becomesDrag(at))
        dragRowOut(drawerPress_->item);
}

void Edge::releaseDrawer(Point at)
{
    const auto press = std::exchange(drawerPress_, std::nullopt);
    if (!press)
        return;
    if (press->part == DrawerView::Part::row) {
        if (rowPress_.release())
            openRow(*press->item);
        return;
    }
    const auto hit = drawer_.hitAt(pointOf(at));
    if (hit && hit->part == DrawerView::Part::removeButton && hit->item == press->item)
        model_.engine().removeOpenItem(press->item->id);
}

bool Edge::turnDrawer(Point at, WheelTurn turn)
{
    const auto frame = model_.engine().drawerFrame();
    if (!drawer_.contains(pointOf(at)) && !(frame && QRectF(frame->x, frame->y, frame->width, frame->height).contains(pointOf(at))))
        return false;
    drawer_.scroll(-turn.amount * (turn.inNotches ? wheelNotchDistance : 1), turn.inNotches, uptime());
    return true;
}

// A name being edited takes what is typed, and what is pasted.
bool Edge::chromeKey(const KeyPress& press)
{
    if (!chrome_.editsName())
        return false;
    if (press.key && drawerCommandFor(*press.key, false) == DrawerCommand::paste) {
        if (const QMimeData* clipboard = surface_.clipboard(); clipboard && clipboard->hasText())
            chrome_.insertText(clipboard->text().toStdString());
        return true;
    }
    return chrome_.type(press);
}

bool Edge::drawerKey(const std::optional<KeyEvent>& key)
{
    if (!key)
        return false;
    const BezelState& state = model_.engine().state();
    switch (drawerCommandFor(*key, drawer_.takesInput() && !state.isEditing)) {
    case DrawerCommand::none:
        return false;
    case DrawerCommand::highlightPrevious:
        drawer_.moveHighlight(-1);
        break;
    case DrawerCommand::highlightNext:
        drawer_.moveHighlight(1);
        break;
    case DrawerCommand::openHighlighted:
        if (const auto item = drawer_.hoveredItem())
            openRow(*item);
        break;
    case DrawerCommand::removeHighlighted:
        drawer_.removeHighlighted(model_.engine());
        break;
    case DrawerCommand::paste:
        return pasteIntoOpenDrawer(model_.engine(), surface_.clipboard());
    }
    model_.engine().requestStep();
    return true;
}

void Edge::openRow(const ResolvedPocketItem& item)
{
    openItem(item);
    model_.engine().itemOpened();
}

// One item dragged out of its row, offered for copying; it stays in the pocket.
void Edge::dragRowOut(const ResolvedPocketItems::value_type& item)
{
    drawerPress_.reset();
    if (!item->available)
        return;
    model_.engine().beginRowDrag();
    surface_.dragOut({ item }, rowDragIconSize);
    layers_.forgetPress();
}

void Edge::pullOut(const PullOffer& offer)
{
    const EdgeSurface::DragOutcome outcome = surface_.dragOut(offer.items, pullIconSize);
    // The receiver may copy the files after the drop: the store keeps them readable.
    model_.engine().finishPull(offer, outcome.accepted && !outcome.copyRequested);
    layers_.forgetPress();
}

bool Edge::dragEntered(QPointF inSurface, const QMimeData& offered)
{
    if (!MimePasteboard::offersAnything(offered))
        return false;
    // A surface that hears of a drag only once it is over it widens to the drop strip now.
    if (!surface_.seesPointerEverywhere())
        model_.engine().beginSystemDrag();
    dragMoved(inSurface);
    return true;
}

bool Edge::dragMoved(QPointF inSurface)
{
    wake();
    model_.engine().updateDragPayload(onScreen(inSurface));
    return model_.engine().state().dropTarget.has_value();
}

void Edge::dragLeft()
{
    // A surface that sees the pointer only over itself cannot tell a drag that left it from
    // one that ended: the frame loop ends it once no button is held.
    if (surface_.seesPointerEverywhere())
        model_.engine().endSystemDrag();
    else
        model_.engine().leaveDragPayload();
    wake();
}

bool Edge::drop(QPointF inSurface, const QMimeData& offered)
{
    wake();
    model_.engine().updateDragPayload(onScreen(inSurface));
    const bool taken = model_.engine().acceptDrop(MimePasteboard(offered));
    model_.engine().endSystemDrag();
    return taken;
}

QString Edge::helpAt(QPointF inSurface) const
{
    const QPointF at = inSurface + origin();
    const QString drawerHelp = drawer_.helpAt(at);
    return drawerHelp.isEmpty() ? chrome_.helpAt(at) : drawerHelp;
}

} // namespace kestrane
