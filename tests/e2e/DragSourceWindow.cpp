#include "DragSourceWindow.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

namespace kestrane::e2e {

namespace {
constexpr int side = 120;

const char* actionName(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return "copy";
    case Qt::MoveAction: return "move";
    case Qt::LinkAction: return "link";
    default: return "none";
    }
}
} // namespace

DragSourceWindow::DragSourceWindow(QPoint topLeft, QList<QUrl> files)
    : PeerWindow(QRect(topLeft, QSize(side, side)), QColor(40, 90, 200))
    , files_(std::move(files))
{
}

void DragSourceWindow::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = event->position().toPoint();
}

void DragSourceWindow::mouseMoveEvent(QMouseEvent* event)
{
    const bool held = event->buttons() & Qt::LeftButton;
    if (!held || dragging_ || (event->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    drag();
    dragging_ = false;
}

void DragSourceWindow::drag()
{
    auto* data = new QMimeData;
    data->setUrls(files_);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    say(std::string("DRAGGED ") + actionName(result));
}

} // namespace kestrane::e2e
