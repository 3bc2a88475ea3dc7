#pragma once

#include <array>
#include <string_view>

namespace kestrane {

// One lesson of the introduction: a headline typed out, then a line of detail.
struct IntroductionLesson {
    std::string_view headline;
    std::string_view detail;
    bool operator==(const IntroductionLesson&) const = default;
};

inline constexpr std::array<IntroductionLesson, 5> introductionLessons { {
    { "Your screen has an edge.", "Kestrane lives in it. Nothing to open, nothing in the way." },
    { "Throw something at the right edge.", "A file, an image, a link. The bezel takes it and holds on." },
    { "A full pocket has weight.", "You can see what you're carrying without opening anything." },
    { "Click a pocket to look inside.", "Drag a file back out whenever you need it \u2014 into any app." },
    { "Double-tap Control.", "That's your settings. Rename, rearrange, add more pockets." },
} };

} // namespace kestrane
