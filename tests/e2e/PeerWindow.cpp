#include "PeerWindow.h"

#include <QPainter>
#include <QTimer>

#include <iostream>

namespace kestrane::e2e {

PeerWindow::PeerWindow(const QRect& geometry, const QColor& colour)
    : QWidget(nullptr, Qt::FramelessWindowHint)
    , colour_(colour)
{
    setGeometry(geometry);
}

void PeerWindow::say(const std::string& line)
{
    std::cout << line << std::endl;
}

void PeerWindow::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), colour_);
    if (announced_)
        return;
    announced_ = true;
    // After this paint has been flushed to the server.
    QTimer::singleShot(0, this, [] { say("READY"); });
}

} // namespace kestrane::e2e
