#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <functional>

namespace kestrane {

// Keeps the overlay above every window the window manager manages, full-screen ones
// included. The overlay bypasses the window manager, which stacks its own windows and may
// raise one over it; whenever a managed window is mapped or restacked, the overlay goes
// back just above the highest one, and stays below menus and tooltips above it. It also
// tells when a window below was moved, mapped, unmapped or closed.
class StackingGuard final : public QAbstractNativeEventFilter {
public:
    StackingGuard(const X11Display& display, xcb_window_t overlay);
    ~StackingGuard() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // Restacks the overlay now if a managed window lies above it.
    void restack() const;
    void onWindowsChanged(std::function<void()> changed) { windowsChanged_ = std::move(changed); }

private:
    bool watchesRootChildren_ = false;
    const X11Display& display_;
    xcb_window_t overlay_;
    QTimer pending_;
    std::function<void()> windowsChanged_;
};

} // namespace kestrane
