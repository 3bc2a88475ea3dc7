#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

namespace kestrane {

// Counts how often the drag-and-drop selection changes hands. A program that starts a drag
// takes the selection, so a change while a button is held means a drag is under way.
class DragSelectionWatcher final : public QAbstractNativeEventFilter {
public:
    // changed, when given, is called at each change.
    DragSelectionWatcher(const X11Display& display, std::function<void()> changed);
    ~DragSelectionWatcher() override;

    std::uint64_t changes() const { return changes_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::uint8_t selectionNotifyEvent_ = 0;
    bool available_ = false;
    std::uint64_t changes_ = 0;
    std::function<void()> changed_;
};

} // namespace kestrane
