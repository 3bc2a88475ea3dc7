#include "x11/OverlayWindow.h"

#include "edge/Edge.h"
#include "x11/Backdrop.h"
#include "x11/FocusHandback.h"
#include "x11/OverlayWindowSetup.h"
#include "x11/PointerApproach.h"
#include "x11/PullDrag.h"
#include "x11/StackingGuard.h"
#include "x11/UnblendedCover.h"
#include "x11/WindowInput.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace kestrane {

OverlayWindow::OverlayWindow(const X11Display& display)
    : QWidget(nullptr,
        Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::NoDropShadowWindowHint | Qt::X11BypassWindowManagerHint)
    , display_(display)
    , dragWatcher_(display, "XdndSelection", [this] { wake(); })
    , dragRequests_(display)
    , input_(new WindowInput(*this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setWindowTitle("Kestrane");
    waylandSession_ = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    setGeometry(0, 0, Edge::bandWidth, 900);
    const auto window = static_cast<xcb_window_t>(winId());
    setup_ = std::make_unique<OverlayWindowSetup>(display_, window);
    setup_->applyWindowHints();
    focus_ = std::make_unique<FocusHandback>(display_, window);
    stacking_ = std::make_unique<StackingGuard>(display_, window);
    approach_ = std::make_unique<PointerApproach>(this, [this] { wake(); });
    cover_ = std::make_unique<UnblendedCover>(display_, *setup_, [this] {
        update();
        wake();
    });
    backdrop_ = std::make_unique<Backdrop>(display_, window, *cover_, [this] { wake(); });
    stacking_->onWindowsChanged([this] { backdrop_->windowsChanged(); });
}

OverlayWindow::~OverlayWindow() = default;

void OverlayWindow::attach(Edge* edge)
{
    edge_ = edge;
    input_->attach(edge);
}

void OverlayWindow::wake()
{
    if (edge_)
        edge_->wake();
}

std::optional<EdgeSurface::Screen> OverlayWindow::screenAt(QPoint global) const
{
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return Screen { screen->geometry(), screen->refreshRate(), screen->geometry().bottom() - screen->availableGeometry().bottom() };
}

EdgeSurface::Pointer OverlayWindow::pointer() const
{
    const auto pointer = display_.queryPointer();
    if (!pointer)
        return {};
    if (waylandSession_ && !input_->pointerInside() && !input_->pressed())
        return { std::nullopt, pointer->buttonsDown };
    return { QPointF(pointer->x, pointer->y) / devicePixelRatioF(), pointer->buttonsDown };
}

void OverlayWindow::place(const QRect& frame)
{
    placed_ = frame;
    const bool grows = frame.width() > width();
    // Under a Wayland session the band keeps the width it was fitted to (fitBandTo).
    const int kept = std::min(width(), frame.width());
    setGeometry(waylandSession_ && frame.width() <= Edge::bandWidth ? frame.adjusted(frame.width() - kept, 0, 0, 0) : frame);
    if (grows)
        raise();
}

// A Wayland compositor gives the window every click on it, whatever its input shape: at
// rest it is only as wide as what it shows, and a few points more to notice the pointer.
void OverlayWindow::fitBandTo(const QRegion& shown)
{
    constexpr int noticingWidth = 12;
    if (!waylandSession_ || placed_.width() > Edge::bandWidth)
        return;
    const int extent = shown.isEmpty() ? 0 : width() - shown.boundingRect().left();
    const int fitted = std::clamp(extent, noticingWidth, placed_.width());
    if (fitted != width())
        setGeometry(placed_.adjusted(placed_.width() - fitted, 0, 0, 0));
}

void OverlayWindow::setClickable(const std::vector<Rect>& inSurface)
{
    // A Wayland compositor gives the window every click on it whatever its input shape;
    // taking them all in X too tells the window when the pointer enters and leaves it.
    if (waylandSession_)
        return setup_->setInputRegion({ { 0, 0, static_cast<double>(width()), static_cast<double>(height()) } });
    setup_->setInputRegion(inSurface);
}

void OverlayWindow::takeAllKeys(bool take)
{
    take ? QWidget::grabKeyboard() : releaseKeyboard();
}

void OverlayWindow::wantTextInput(bool want)
{
    setAttribute(Qt::WA_InputMethodEnabled, want);
    QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

QVariant OverlayWindow::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImCursorRectangle && edge_)
        return edge_->caretRect();
    if (query == Qt::ImEnabled)
        return testAttribute(Qt::WA_InputMethodEnabled);
    return QWidget::inputMethodQuery(query);
}

EdgeSurface::DragOutcome OverlayWindow::dragOut(const ResolvedPocketItems& items, int iconSize)
{
    const DragOutcome outcome = PullDrag(this, items, iconSize, dragRequests_).exec();
    input_->dragEnded();
    return outcome;
}

const QMimeData* OverlayWindow::clipboard() const
{
    return QGuiApplication::clipboard()->mimeData();
}

void OverlayWindow::wantDesktopPicture(bool wanted, const QRect& screenInDevicePixels)
{
    // XWayland's root window shows nothing of the native windows: edit mode dims them instead.
    backdrop_->want(wanted && !waylandSession_, screenInDevicePixels);
}

QImage OverlayWindow::desktopPicture() const
{
    return backdrop_->picture();
}

void OverlayWindow::showOnly(const QRegion& painted, const QRegion& covered)
{
    fitBandTo(painted.united(covered));
    if (cover_->isActive())
        cover_->update(painted, covered, QTransform::fromScale(scale(), scale()).mapRect(geometry()));
}

void OverlayWindow::watchApproach(const std::optional<Approach>& approach)
{
    if (!approach)
        return approach_->stop();
    approach_->watch(PointerApproach::Area::inRootPixels(approach->screen, approach->reachFrom, devicePixelRatioF()));
}

void OverlayWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    cover_->paintBackground(painter, event->region().boundingRect());
    if (edge_)
        edge_->paint(painter, event->region());
}

void OverlayWindow::resizeEvent(QResizeEvent*)
{
    cover_->forgetPicture();
    if (edge_)
        edge_->surfaceResized();
}

void OverlayWindow::moveEvent(QMoveEvent*)
{
    wake();
}

} // namespace kestrane
