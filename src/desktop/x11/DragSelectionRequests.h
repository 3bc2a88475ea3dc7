#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <chrono>
#include <cstdint>
#include <optional>

class QMimeData;

namespace kestrane {

// Keeps a receiver's clock out of Qt's. A receiver asks for a selection's data with a time,
// and the xcb plugin takes that time as the server's: its clock only moves forward. pcmanfm
// asks for a drag's files with a wall-clock count of seconds, far ahead of the server's
// milliseconds; once Qt had taken it, every later drag out claimed the drag selection with a
// time the server ignores, and no receiver got anything until restart. A request dated ahead
// of the server therefore never reaches Qt with its time: during a drag out it is answered
// here from the drag's data (Qt matches such requests to a drag by time, so it would refuse
// it); at other times it goes on to Qt dated CurrentTime.
class DragSelectionRequests final : public QAbstractNativeEventFilter {
public:
    explicit DragSelectionRequests(const X11Display& display);
    ~DragSelectionRequests() override;

    // The data of the drag out that is running; null once it has ended.
    void setDragData(const QMimeData* data) { dragData_ = data; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void noteServerTime(const xcb_generic_event_t* event);
    bool isAheadOfServer(xcb_timestamp_t time) const;
    void answer(const xcb_selection_request_event_t& request) const;

    const X11Display& display_;
    xcb_atom_t dragSelection_;
    std::uint8_t inputOpcode_ = 0;
    const QMimeData* dragData_ = nullptr;
    // The latest time the server stamped an event with, and when that event came.
    struct ServerTime {
        xcb_timestamp_t time;
        std::chrono::steady_clock::time_point seen;
    };
    std::optional<ServerTime> serverTime_;
};

} // namespace kestrane
