#include "DropTargetWindow.h"

#include <QDropEvent>
#include <QMimeData>

namespace kestrane::e2e {

DropTargetWindow::DropTargetWindow(const QRect& geometry)
    : PeerWindow(geometry, QColor(220, 220, 220))
{
    setAcceptDrops(true);
}

void DropTargetWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void DropTargetWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void DropTargetWindow::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            say("DROP " + url.toLocalFile().toStdString());
    }
    event->acceptProposedAction();
}

} // namespace kestrane::e2e
