#pragma once

#include "geometry/BezelNode.h"
#include "geometry/Point.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// The drawer rows shown while the demonstration pocket is open.
struct OpenRows {
    Rect frame;
    double progress = 0;
    bool operator==(const OpenRows&) const = default;
};

// The card that flies into the demonstration pocket.
struct TravellingItem {
    Point position;
    double scale = 0;
    double opacity = 0;
    bool operator==(const TravellingItem&) const = default;
};

// The little demonstration drawn beside the right edge while a lesson is taught: every
// value is a closed-form function of the lesson, the time into it and the screen size.
struct OnboardingDemo {
    int step = 0;
    double time = 0;
    Size size;

    std::optional<BezelNode> pocket() const;
    std::optional<OpenRows> openRows() const;
    std::optional<TravellingItem> travellingItem() const;

    // A resting pocket at mid-height: more items make its lower flank longer and its
    // upper flank shorter, so that it sags.
    BezelNode node(double amplitude, int items) const;
    // A pocket opening into a drawer: open runs from 0 (resting) to 1 (a full drawer).
    BezelNode openNode(double open, int items) const;

    bool operator==(const OnboardingDemo&) const = default;
};

// The headline as typed so far at lesson progress p (0 just started, 1 revealed).
struct TypedHeadline {
    std::string shown;
    bool isTyping = false;
    bool operator==(const TypedHeadline&) const = default;
};

// How many of a headline's characters are typed at lesson progress p.
std::size_t typedCharacterCount(std::size_t characterCount, double progress);

// The first typed characters of the headline, counted as a reader sees them.
TypedHeadline typedHeadline(std::string_view headline, double progress);

} // namespace kestrane
