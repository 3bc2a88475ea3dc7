#include "app/KeyFocus.h"

#include <gtest/gtest.h>

using namespace kestrane;
using Action = KeyFocus::Action;

TEST(KeyFocus, TakenForWhatNeedsKeysRetakenWhileNeededAndGivenBackAfter)
{
    struct Frame {
        bool editing, drawer, hasFocus;
        double now;
        Action expected;
    };
    const Frame frames[] = {
        { false, false, false, 0.0, Action::none },
        { false, true, false, 1.0, Action::take },
        { false, true, false, 2.0, Action::retake }, // a window mapped over an open drawer
        { true, true, true, 2.1, Action::none },
        { true, false, true, 2.2, Action::none }, // still wanted for edit mode
        { true, false, false, 2.3, Action::retake },
        { true, false, false, 2.5, Action::none }, // too soon after the last attempt
        { true, false, false, 2.6, Action::retake },
        { false, false, true, 2.7, Action::handBack },
        { false, false, true, 2.8, Action::none },
        { false, false, true, 3.0, Action::handBack }, // focus that came uninvited
        { false, false, false, 4.0, Action::none },
    };
    KeyFocus focus;
    for (const Frame& f : frames)
        EXPECT_EQ(focus.sync({ f.editing, f.drawer, false, f.hasFocus, f.now }), f.expected) << f.now;
}
