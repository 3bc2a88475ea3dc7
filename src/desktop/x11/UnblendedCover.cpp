#include "x11/UnblendedCover.h"

#include "x11/ScreenCapture.h"

#include <QPainter>

namespace kestrane {

namespace {
// Once the overlay stops showing, the windows below need a moment to repaint what it
// covered before the screen can be read.
constexpr int readDelay = 80;
} // namespace

UnblendedCover::UnblendedCover(const X11Display& display, const OverlayWindowSetup& setup, std::function<void()> changed)
    : display_(display)
    , setup_(setup)
    , changed_(std::move(changed))
    , compositor_(display, display.compositorSelection(), [this] { followCompositor(); })
{
    // Shown unshaped without a compositor, the translucent window would blacken the screen.
    if (!compositor_.hasOwner())
        shape(QRegion());
    reading_.setSingleShot(true);
    reading_.setInterval(readDelay);
    QObject::connect(&reading_, &QTimer::timeout, [this] {
        picture_ = captureScreen(display_, pictureFrame_);
        changed_();
    });
}

void UnblendedCover::update(const QRegion& painted, const QRegion& covered, const QRect& frame)
{
    if (compositor_.hasOwner() || reading_.isActive())
        return;
    if (covered.isEmpty()) {
        if (!picture_.isNull()) {
            picture_ = QImage();
            changed_();
        }
    } else if (picture_.isNull()) {
        readPicture(frame);
        return;
    }
    const QRegion wanted = covered.isEmpty() ? painted : painted + covered;
    if (shape_ != wanted)
        shape(wanted);
}

void UnblendedCover::paintBackground(QPainter& painter, const QRect& rect) const
{
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (picture_.isNull())
        painter.fillRect(rect, Qt::transparent);
    else {
        // The picture holds device pixels; the painter works in logical ones.
        const qreal scale = painter.device()->devicePixelRatioF();
        painter.drawImage(QRectF(rect), picture_, QRectF(QPointF(rect.topLeft()) * scale, QSizeF(rect.size()) * scale));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void UnblendedCover::followCompositor()
{
    shape_.reset();
    picture_ = QImage();
    reading_.stop();
    if (compositor_.hasOwner())
        setup_.setBoundingShape(std::nullopt);
    changed_();
}

// The screen is read with the overlay hidden, so that the picture holds only what lies
// behind it.
void UnblendedCover::readPicture(const QRect& frame)
{
    shape(QRegion());
    pictureFrame_ = frame;
    reading_.start();
}

void UnblendedCover::shape(const std::optional<QRegion>& region)
{
    shape_ = region;
    setup_.setBoundingShape(region);
}

} // namespace kestrane
