#include "geometry/OnboardingDemo.h"

#include "geometry/BezelGeometry.h"
#include "geometry/Easing.h"
#include "geometry/PocketShape.h"
#include "platform/Graphemes.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double throwCycle = 3.4;
constexpr double itemInterval = 0.85;
constexpr int mostWeightItems = 4;
constexpr int openItems = 3;
constexpr int settingsItems = 3;
constexpr double rowsAppearAt = 0.25;
constexpr double cardInset = 34;
constexpr double vanishedCard = 0.01;
constexpr double outlineStep = 1;

enum DemoLesson { edge = 0, throwing = 1, weight = 2, lookingInside = 3, settings = 4 };

// Where the throwing lesson is in its repeating cycle, 0 to 1.
double throwPhase(double t)
{
    double cycle = std::fmod(t, throwCycle);
    if (cycle < 0)
        cycle += throwCycle;
    return cycle / throwCycle;
}

double openingAt(double t)
{
    return smoothstep((t - 0.6) / 1.5) * (1 - smoothstep((t - 3.4) / 0.6));
}

// The arc length of the right edge's point at height y, kept to the edge's straight part.
double rightEdgeArc(const ScreenPerimeter& perimeter, double y)
{
    return perimeter.straightTop() + perimeter.quarterArc() + std::clamp(y - perimeter.radius(), 0.0, perimeter.straightSide());
}

int weightItemsAt(double t)
{
    // Written as !(t > 0) so that a NaN time counts one item rather than an undefined one.
    if (!(t > 0))
        return 1;
    if (t >= mostWeightItems * itemInterval)
        return mostWeightItems;
    return std::min(static_cast<int>(t / itemInterval) + 1, mostWeightItems);
}
} // namespace

BezelNode OnboardingDemo::node(double amplitude, int items) const
{
    const double k = bulgeSpread(amplitude);
    const double f = pocketFill(items);
    return { size.height / 2, amplitude, 11 * k, 56 * k * (1 - 0.14 * f), 56 * k * (1 + 0.42 * f), 0, 4.5 };
}

BezelNode OnboardingDemo::openNode(double open, int items) const
{
    const double restingAmplitude = heft(items);
    const double k = bulgeSpread(restingAmplitude);
    const double restingCore = 11 * k;
    const double restingFalloff = 56 * k;
    const double coreOpen = std::max(drawerHeight(items) * 0.5 - 16, 10.0);
    const double g = smoothstep((open - 0.38) / 0.62);
    const double falloff = restingFalloff + g * (16 - restingFalloff);
    return { size.height / 2, restingAmplitude + smoothstep(open / 0.72) * (drawerWidth - restingAmplitude),
        restingCore + smoothstep((open - 0.22) / 0.78) * (coreOpen - restingCore), falloff, falloff, g, 7.5 };
}

std::optional<BezelNode> OnboardingDemo::pocket() const
{
    const double t = time;
    switch (step) {
    case edge:
        return node(6 + 8 * smoothstep((t - 0.4) / 1.4), 1);
    case throwing: {
        // Reaches out to the incoming card, falls back as it swallows it, ends fuller.
        const double u = throwPhase(t);
        const double reach = 34 * smoothstep((u - 0.1) / 0.4) * (1 - smoothstep((u - 0.55) / 0.23));
        return node(7 + reach + 10 * smoothstep((u - 0.72) / 0.14), 1);
    }
    case weight: {
        const int items = weightItemsAt(t);
        return node(heft(items), items);
    }
    case lookingInside:
        return openNode(openingAt(t), openItems);
    case settings:
        return node(heft(settingsItems), settingsItems);
    default:
        return std::nullopt;
    }
}

std::optional<OpenRows> OnboardingDemo::openRows() const
{
    if (step != lookingInside)
        return std::nullopt;
    const double open = openingAt(time);
    if (!(open > rowsAppearAt))
        return std::nullopt;
    const double height = drawerHeight(openItems);
    const Rect frame { size.width - drawerWidth, size.height / 2 - height / 2, drawerWidth, height };
    return OpenRows { frame, open };
}

std::optional<TravellingItem> OnboardingDemo::travellingItem() const
{
    if (step != throwing)
        return std::nullopt;
    const double u = throwPhase(time);
    const double out = smoothstep((u - 0.68) / 0.12);
    if (1 - out <= vanishedCard)
        return std::nullopt;
    const double m = smoothstep((u - 0.08) / 0.64);
    const double in = smoothstep((u - 0.02) / 0.12);
    // It flies from 62 % of the width to just inside the right edge, at mid-height.
    const double startX = 0.62 * size.width;
    const double endX = size.width - cardInset;
    return TravellingItem { { startX + (endX - startX) * m, size.height / 2 }, 0.85 + 0.15 * m, in * (1 - out) };
}

Path OnboardingDemo::pocketOnInk(const InkField& field, const ScreenPerimeter& perimeter) const
{
    Path out;
    const std::optional<BezelNode> bulge = pocket();
    const double top = bulge ? bulge->center - bulge->reachTop() : 0;
    const double bottom = bulge ? bulge->center + bulge->reachBottom() : 0;
    // Written as !(bottom > top) so that a NaN reach draws nothing.
    if (!(bottom > top) || !std::isfinite(bottom - top))
        return out;
    const InkThickness ink(field, perimeter);
    const auto outlineAt = [&](double y) {
        out.lineTo(size.width - ink.at(rightEdgeArc(perimeter, y), y) - BezelGeometry::profile(*bulge, y), y);
    };
    out.moveTo(size.width, top);
    // Rows are top + i rather than an accumulated y so that they do not drift.
    for (double i = 0; top + i * outlineStep < bottom; ++i)
        outlineAt(top + i * outlineStep);
    outlineAt(bottom);
    out.lineTo(size.width, bottom);
    out.close();
    return out;
}

double OnboardingDemo::inkDepth(const InkField& field, const ScreenPerimeter& perimeter) const
{
    return field.thickness(rightEdgeArc(perimeter, size.height / 2), perimeter);
}

std::size_t typedCharacterCount(std::size_t characterCount, double progress)
{
    const double q = smoothstep((progress - 0.05) / 0.67);
    const double count = static_cast<double>(characterCount);
    const double typed = std::floor(q * count + 0.5);
    // Written as !(typed > 0) so that a NaN progress types nothing.
    if (!(typed > 0))
        return 0;
    return typed < count ? static_cast<std::size_t>(typed) : characterCount;
}

TypedHeadline typedHeadline(std::string_view headline, double progress)
{
    const std::size_t total = graphemeCount(headline);
    const std::size_t typed = typedCharacterCount(total, progress);
    return { firstGraphemes(headline, typed), typed < total };
}

} // namespace kestrane
