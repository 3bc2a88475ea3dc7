#pragma once

#include "PeerWindow.h"

#include <QList>
#include <QUrl>

namespace kestrane::e2e {

// Drags its files' URLs away when pressed and moved, as a file manager does, and says
// "DRAGGED <action>" when the drag is over.
class DragSourceWindow : public PeerWindow {
public:
    DragSourceWindow(QPoint topLeft, QList<QUrl> files);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void drag();

    QList<QUrl> files_;
    QPoint pressedAt_;
    bool dragging_ = false;
};

} // namespace kestrane::e2e
