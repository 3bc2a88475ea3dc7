#pragma once

#include <QObject>

namespace kestrane {

class Edge;

// Hands a Qt window's pointer, wheel, key, drag and help events to the edge, translated
// into the edge's terms, and remembers what the window needs to know of the pointer.
class WindowInput final : public QObject {
public:
    explicit WindowInput(QWidget& window);

    void attach(Edge* edge) { edge_ = edge; }
    bool pointerInside() const { return pointerInside_; }
    bool pressed() const { return pressed_; }
    void dragEnded() { pressed_ = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pointerEvent(QEvent* event);
    bool dragEvent(QEvent* event);
    bool keyEvent(QEvent* event);
    void showHelp(QEvent* event);

    QWidget& window_;
    Edge* edge_ = nullptr;
    bool pointerInside_ = false;
    bool pressed_ = false;
};

} // namespace kestrane
