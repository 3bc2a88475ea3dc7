#include "DropTargetWindow.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTimer>

namespace kestrane::e2e {

namespace {
constexpr int copyDelay = 2000;

void readLater(const QString& path)
{
    QTimer::singleShot(copyDelay, [path] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            PeerWindow::say("RECEIVED " + path.toStdString() + ": " + file.readAll().toStdString());
        else
            PeerWindow::say("MISSING " + path.toStdString());
    });
}
} // namespace

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
        if (!url.isLocalFile())
            continue;
        say("DROP " + url.toLocalFile().toStdString());
        readLater(url.toLocalFile());
    }
    event->acceptProposedAction();
}

} // namespace kestrane::e2e
