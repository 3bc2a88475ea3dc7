#pragma once

#include "geometry/BezelNode.h"
#include "geometry/InkField.h"
#include "geometry/Path.h"
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

    // The pocket standing on the ink: its outline follows the ink's inner edge down the
    // right side and bulges out of it by the pocket's own profile, so that a band thicker
    // than the bulge does not bury it. Empty when the lesson shows no pocket.
    Path pocketOnInk(const InkField& ink, const ScreenPerimeter& perimeter) const;
    // How deep the ink lies where the pocket stands, at mid-height of the right edge: the
    // drawer rows and the card move in by as much.
    double inkDepth(const InkField& ink, const ScreenPerimeter& perimeter) const;

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
