#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <string_view>

namespace kestrane {

// Follows an X selection changing hands, through XFixes selection events. A program that
// starts a drag takes the drag-and-drop selection; a compositing manager owns its own
// selection for as long as it runs.
class SelectionWatcher final : public QAbstractNativeEventFilter {
public:
    // changed, when given, is called at each change.
    SelectionWatcher(const X11Display& display, std::string_view selection, std::function<void()> changed);
    ~SelectionWatcher() override;

    // How often the selection has changed hands since the watch began.
    std::uint64_t changes() const { return changes_; }
    bool hasOwner() const { return owner_ != XCB_NONE; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xcb_atom_t selection_ = XCB_NONE;
    std::uint8_t selectionNotifyEvent_ = 0;
    bool available_ = false;
    std::uint64_t changes_ = 0;
    xcb_window_t owner_ = XCB_NONE;
    std::function<void()> changed_;
};

} // namespace kestrane
