#pragma once

#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

namespace kestrane {

// Notices, while the frame loop sleeps, the pointer coming near the edge, so that a pointer
// moving anywhere else costs next to nothing. A thread of its own, on an X connection of
// its own, wakes for the first raw motion of a still pointer; while the pointer goes on
// moving, its motion queues unread and the pointer is looked at only as often as it could
// have come near, judged by its distance to the reach line and its speed.
class PointerApproach final {
public:
    // Where a sleeping loop must notice the pointer, in root pixels: off the screen, past
    // the reach line towards the right edge, or with a button held.
    struct Area {
        QRect screen;
        int reachFrom = 0;
        // Pixels per logical pixel, so that the pace of looking matches the desktop's.
        double scale = 1;

        // The area for a screen and reach line given in logical pixels.
        static Area inRootPixels(const QRect& screen, double reachFrom, double scale);
    };

    // `approached` runs on the thread of `context` once per watch, when the pointer comes
    // into the area; the watch then ends until the next `watch`.
    PointerApproach(QObject* context, std::function<void()> approached);
    ~PointerApproach();
    PointerApproach(const PointerApproach&) = delete;
    PointerApproach& operator=(const PointerApproach&) = delete;

    // False when the X server offers no raw input or a second connection failed.
    bool available() const;
    void watch(const Area& area);
    void stop();

private:
    struct Watcher;
    std::unique_ptr<Watcher> watcher_;
};

} // namespace kestrane
