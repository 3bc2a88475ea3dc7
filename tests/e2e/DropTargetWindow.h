#pragma once

#include "PeerWindow.h"

namespace kestrane::e2e {

// Takes drops of URLs and says "DROP <path>" for each local file among them.
class DropTargetWindow : public PeerWindow {
public:
    explicit DropTargetWindow(const QRect& geometry);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace kestrane::e2e
