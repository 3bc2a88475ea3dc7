#pragma once

#include <QColor>
#include <QWidget>

#include <string>

namespace kestrane::e2e {

// A plain frameless window at a fixed place that fills itself with one colour and says
// "READY" on standard output once it has been shown on the screen.
class PeerWindow : public QWidget {
public:
    PeerWindow(const QRect& geometry, const QColor& colour);

    // One line on standard output, flushed at once so that the test sees it.
    static void say(const std::string& line);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    bool announced_ = false;
};

} // namespace kestrane::e2e
