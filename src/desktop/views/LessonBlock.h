#pragma once

#include "onboarding/IntroductionLesson.h"
#include "views/styles/ShadowedText.h"
#include "views/styles/TextPlate.h"

#include <QFont>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace kestrane {

// The text of one lesson, left of the middle of the screen: the headline typed out with a
// caret, the detail rising in under it once the headline is mostly typed, and a row of one
// capsule per lesson with "click to continue". The whole block rises into place as the
// lesson starts. Progress runs from 0 (the lesson just started) to 1 (fully shown).
class LessonBlock {
public:
    LessonBlock();

    // `behind` is the picture of the desktop, under which the block darkens what it needs.
    void update(const IntroductionLesson& lesson, int index, int lessonCount, double progress, QSizeF screen, const QImage& behind = {});
    void paint(QPainter& painter) const;
    // What paint() covers, shadows included, in screen coordinates.
    QRectF bounds() const;
    // The headline as typed so far.
    const ShadowedText& headline() const { return headline_; }
    // The caret, in screen coordinates; empty once the headline is complete.
    QRectF caret() const;

private:
    // The text, from the headline's top-left to the end of the progress row.
    QRectF textArea() const;
    double headlineHeight() const;
    double detailTop() const;
    double progressRowTop() const;
    void paintProgressRow(QPainter& painter) const;

    ShadowedText headline_;
    ShadowedText detail_;
    TextPlate plate_;
    QFont labelFont_;
    double headlineWidth_ = 0;
    double progress_ = 0;
    bool typing_ = false;
    int index_ = 0;
    int lessonCount_ = 0;
    // The block's top-left corner as it rises into place.
    QPointF corner_;
};

} // namespace kestrane
