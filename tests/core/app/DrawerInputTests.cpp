#include "app/BackdropPress.h"
#include "app/DrawerKeys.h"
#include "app/DrawerScroll.h"
#include "app/RowPress.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
constexpr double frame = 1.0 / 60;

// Runs frames until the list rests; returns the time reached.
double settle(DrawerScroll& scroll, double now)
{
    for (int i = 0; i < 600 && scroll.step(frame, now); ++i)
        now += frame;
    return now;
}
} // namespace

TEST(DrawerScroll, FollowsInsideStretchesWithResistancePastEitherEndAndSpringsBack)
{
    DrawerScroll scroll;
    scroll.setExtent(276, 460);
    scroll.scrollBy(100, false, 0);
    EXPECT_EQ(scroll.offset(), 100);
    scroll.scrollBy(150, false, 0.01);
    const double stretch = scroll.bottomOverscroll();
    EXPECT_GT(stretch, 15);
    EXPECT_LT(stretch, 66) << "66 points of pull past the end stretch less than that";
    scroll.scrollBy(400, false, 0.02);
    EXPECT_GT(scroll.bottomOverscroll(), stretch);
    EXPECT_LT(scroll.bottomOverscroll(), 276);
    scroll.scrollBy(-466, false, 0.03);
    EXPECT_NEAR(scroll.offset(), 184, 1e-6) << "pulling back undoes the stretch exactly";

    scroll.scrollBy(-300, false, 0.04);
    EXPECT_LT(scroll.offset(), 0);
    EXPECT_TRUE(scroll.step(frame, 0.05)) << "held while the input may go on";
    EXPECT_LT(scroll.offset(), 0);
    settle(scroll, 0.05 + DrawerScroll::releaseDelay);
    EXPECT_EQ(scroll.offset(), 0);

    scroll.scrollBy(100, true, 1);
    EXPECT_EQ(scroll.offset(), 0) << "a wheel's notch glides inside the list";
    settle(scroll, 1);
    EXPECT_EQ(scroll.offset(), 100);
    EXPECT_FALSE(scroll.isMoving());

    scroll.reveal(0, 46);
    settle(scroll, 2);
    EXPECT_EQ(scroll.offset(), 0);
}

TEST(RowPress, OpensWithinFivePointsAndDragsBeyond)
{
    RowPress press;
    press.press({ 10, 10 });
    EXPECT_FALSE(press.becomesDrag({ 13, 14 }));
    EXPECT_TRUE(press.release());
    press.press({ 10, 10 });
    EXPECT_TRUE(press.becomesDrag({ 15.01, 10 }));
    EXPECT_FALSE(press.becomesDrag({ 30, 10 }));
    EXPECT_FALSE(press.release());
}

TEST(DrawerKeys, ArrowsReturnAndDeleteActOnlyOnADrawerTakingKeysWhilePasteNeedsOnlyControlV)
{
    using enum DrawerCommand;
    struct Case {
        std::uint16_t key;
        std::uint64_t modifiers;
        bool takesKeys;
        DrawerCommand expected;
    };
    const Case cases[] = {
        { keyCode::upArrow, 0, true, highlightPrevious },
        { keyCode::downArrow, 0, true, highlightNext },
        { keyCode::returnKey, 0, true, openHighlighted },
        { keyCode::keypadEnter, 0, true, openHighlighted },
        { keyCode::forwardDelete, 0, true, removeHighlighted },
        { keyCode::downArrow, 0, false, none },
        { keyCode::upArrow, modifier::control, true, highlightPrevious },
        { keyCode::returnKey, modifier::shift, true, openHighlighted },
        { keyCode::escape, 0, true, none },
        { keyCode::v, modifier::control, false, paste },
        { keyCode::v, modifier::control | modifier::capsLock, true, paste },
        { keyCode::v, modifier::control | modifier::shift, true, none },
        { keyCode::v, 0, true, none },
    };
    for (const Case& c : cases)
        EXPECT_EQ(drawerCommandFor({ c.key, c.modifiers, {} }, c.takesKeys), c.expected) << c.key << " " << c.modifiers;
}

// A press on the dimmed desktop closes the innermost thing open.
static_assert(backdropPressFor(true, true) == BackdropPress::closeDrawer);
static_assert(backdropPressFor(false, true) == BackdropPress::hidePreferences);
static_assert(backdropPressFor(false, false) == BackdropPress::leaveEditMode);
