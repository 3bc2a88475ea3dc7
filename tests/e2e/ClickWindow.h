#pragma once

#include "PeerWindow.h"

namespace kestrane::e2e {

// Says "CLICK x y", in screen coordinates, for every mouse press it receives.
class ClickWindow : public PeerWindow {
public:
    explicit ClickWindow(const QRect& geometry);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kestrane::e2e
