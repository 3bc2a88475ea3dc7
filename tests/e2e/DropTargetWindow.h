#pragma once

#include "PeerWindow.h"

namespace kestrane::e2e {

// Takes drops of URLs as a file manager does: says "DROP <path>" for each local file at
// the drop, and only two seconds later reads it, saying "RECEIVED <path>: <content>" or
// "MISSING <path>".
class DropTargetWindow : public PeerWindow {
public:
    explicit DropTargetWindow(const QRect& geometry);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace kestrane::e2e
