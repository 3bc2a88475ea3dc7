#pragma once

#include "geometry/OnboardingDemo.h"
#include "geometry/Path.h"
#include "onboarding/IntroductionState.h"
#include "views/IntroductionHaze.h"
#include "views/LessonBlock.h"

#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QRegion>
#include <QSizeF>

#include <optional>

class QPainter;

namespace kestrane {

class Onboarding;

// The introduction, drawn over everything else on the overlay while it runs: the screen
// behind blurred (the haze), the ink band round the border, and while a lesson is taught,
// a small demonstration pocket beside the right edge and the lesson's text. Every frame
// follows the model; the view keeps only what it drew last, to know what to repaint.
class OnboardingView {
public:
    // Takes one frame from the model, with the picture of what lies behind the screen.
    void update(const Onboarding& flow, const QImage& backdrop, QSizeF screen);
    bool isShown() const { return phase_ != IntroductionPhase::idle; }
    // What must be repainted after update(), in screen coordinates.
    const QRegion& changedRegion() const { return changed_; }
    void paint(QPainter& painter);

    // The haze's blur, whose backdrop another layer may paint through too.
    IntroductionHaze& haze() { return haze_; }
    const LessonBlock& lesson() const { return lesson_; }
    const std::optional<OnboardingDemo>& demo() const { return demo_; }

private:
    QRegion inkRegion() const;
    QRegion demoRegion() const;
    QRegion lessonRegion() const;
    void paintDemo(QPainter& painter, const OnboardingDemo& demo) const;

    IntroductionPhase phase_ = IntroductionPhase::idle;
    QSizeF screen_;
    IntroductionHaze haze_;
    double hazeOpacity_ = 0;
    Path inkPath_;
    QPainterPath ink_;
    // How deep the ink reaches into the screen from its border.
    double inkDepth_ = 0;
    std::optional<OnboardingDemo> demo_;
    // The demonstration pocket stands on the ink; its rows and card move in by the ink's depth.
    QPainterPath demoPocket_;
    double demoDepth_ = 0;
    LessonBlock lesson_;
    QRegion drawn_;
    QRegion changed_;
};

} // namespace kestrane
