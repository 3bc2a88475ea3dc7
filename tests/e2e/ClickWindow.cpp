#include "ClickWindow.h"

#include <QMouseEvent>

namespace kestrane::e2e {

ClickWindow::ClickWindow(const QRect& geometry)
    : PeerWindow(geometry, Qt::white)
{
}

void ClickWindow::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->globalPosition().toPoint();
    say("CLICK " + std::to_string(at.x()) + " " + std::to_string(at.y()));
}

} // namespace kestrane::e2e
