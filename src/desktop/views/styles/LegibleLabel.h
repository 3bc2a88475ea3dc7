#pragma once

#include "views/styles/ShadowedText.h"

namespace kestrane {

// The look of every label of edit mode: white text that stays readable over any desktop,
// under three stacked black shadows of growing reach.
std::vector<Shadow> legibleShadows();
// How far those shadows reach past the text.
constexpr double legibleLabelReach = 24;
// The system font at this size (points) and weight.
QFont uiFont(double size, QFont::Weight weight);
ShadowedText legibleLabel(double size, QFont::Weight weight, double whiteOpacity);
QColor white(double opacity);

} // namespace kestrane
