#include "views/NameField.h"

#include "platform/Graphemes.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrane {

namespace {
constexpr const char* placeholder = "Name";
constexpr double caretWidth = 1.5;

QString qString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

NameField::NameField(QFont font)
    : font_(std::move(font))
{
}

void NameField::setFocused(bool focused)
{
    if (focused != focused_)
        ++revision_;
    focused_ = focused;
}

std::string NameField::shown() const
{
    std::string text = text_.text();
    return text.insert(text_.caret(), text_.preedit());
}

double NameField::advanceTo(std::size_t offset) const
{
    return QFontMetricsF(font_).horizontalAdvance(qString(std::string_view(shown()).substr(0, offset)));
}

double NameField::textLeft(const Look& look) const
{
    return look.frame.right() - look.padding - QFontMetricsF(font_).horizontalAdvance(qString(shown()));
}

void NameField::paint(QPainter& painter, const Look& look) const
{
    const QFontMetricsF metrics(font_);
    const double baseline = look.frame.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    const double left = textLeft(look);
    painter.save();
    painter.setClipRect(look.frame, Qt::IntersectClip);
    painter.setFont(font_);
    if (text_.text().empty() && text_.preedit().empty()) {
        painter.setPen(look.placeholder);
        painter.drawText(QPointF(look.frame.right() - look.padding - metrics.horizontalAdvance(placeholder), baseline), placeholder);
    }
    const TextField::Range selection = text_.selection();
    if (focused_ && !selection.empty()) {
        QColor highlight = look.text;
        highlight.setAlphaF(0.3f * look.text.alphaF());
        const double from = left + advanceTo(selection.start);
        const double to = left + advanceTo(selection.end);
        painter.fillRect(QRectF(from, look.frame.top() + 4, to - from, look.frame.height() - 8), highlight);
    }
    painter.setPen(look.text);
    painter.drawText(QPointF(left, baseline), qString(shown()));
    if (!text_.preedit().empty()) {
        const double from = left + advanceTo(text_.caret());
        const double to = left + advanceTo(text_.caret() + text_.preedit().size());
        painter.drawLine(QPointF(from, baseline + 2), QPointF(to, baseline + 2));
    }
    if (focused_)
        painter.fillRect(caretRect(look), look.text);
    painter.restore();
}

QRectF NameField::caretRect(const Look& look) const
{
    const double x = textLeft(look) + advanceTo(text_.caret() + text_.preedit().size());
    return { std::round(x) - caretWidth / 2, look.frame.top() + 5, caretWidth, look.frame.height() - 10 };
}

std::size_t NameField::offsetAt(const Look& look, double x) const
{
    const double left = textLeft(look);
    std::size_t nearest = 0;
    double nearestDistance = std::abs(x - left);
    for (const std::size_t end : graphemeEnds(text_.text())) {
        const double distance = std::abs(x - left - advanceTo(end));
        if (distance < nearestDistance) {
            nearest = end;
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace kestrane
