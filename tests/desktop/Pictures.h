#pragma once

#include <QImage>
#include <QPainter>

namespace kestrane::testing {

// A transparent picture of the given size, with whatever `paint` draws on it.
template <typename Paint> QImage drawn(int width, int height, Paint paint)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    return image;
}

inline QImage blank(int width = 1440, int height = 900)
{
    return drawn(width, height, [](QPainter&) {});
}

} // namespace kestrane::testing
