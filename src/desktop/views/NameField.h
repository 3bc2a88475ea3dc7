#pragma once

#include "app/TextField.h"

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

namespace kestrane {

// A pocket's name as an editable field the chrome paints itself: the text set flush right
// within its frame, the selection and a steady caret while it has the keyboard, what an
// input method composes underlined at the caret, and a faint placeholder while empty.
class NameField {
public:
    struct Look {
        QRectF frame;
        // Room kept clear at either side of the text.
        double padding = 0;
        QColor text;
        QColor placeholder;
    };

    explicit NameField(QFont font);

    TextField& text() { return text_; }
    const TextField& text() const { return text_; }
    // Shows the keyboard's caret and selection.
    void setFocused(bool focused);
    bool isFocused() const { return focused_; }
    // Changes each time what the field shows changes.
    std::uint64_t revision() const { return revision_; }
    void changed() { ++revision_; }

    void paint(QPainter& painter, const Look& look) const;
    // The boundary between characters nearest to x.
    std::size_t offsetAt(const Look& look, double x) const;
    // Where the caret stands, for an input method's window.
    QRectF caretRect(const Look& look) const;

private:
    // The text as shown: what the input method composes stands at the caret.
    std::string shown() const;
    double textLeft(const Look& look) const;
    double advanceTo(std::size_t offset) const;

    QFont font_;
    TextField text_;
    bool focused_ = false;
    std::uint64_t revision_ = 0;
};

} // namespace kestrane
