#include "views/RepaintTracker.h"

#include <gtest/gtest.h>

using namespace kestrane;

TEST(RepaintTracker, RepaintsWhatMovedChangedOrWentAndNothingElse)
{
    RepaintTracker pieces;
    const QRect a(0, 0, 10, 10);
    const QRect b(50, 0, 10, 10);
    pieces.begin();
    pieces.note("a", a, { 1 });
    pieces.note("b", b, { 1 });
    EXPECT_EQ(pieces.end(), QRegion(a) + b) << "new pieces are painted";

    pieces.begin();
    pieces.note("a", a, { 1.001 });
    pieces.note("b", b, { 0.5 });
    EXPECT_EQ(pieces.end(), QRegion(b)) << "a change finer than 1/256 does not show";

    pieces.begin();
    pieces.note("a", a.translated(5, 0), { 1 });
    EXPECT_EQ(pieces.end(), QRegion(a) + a.translated(5, 0) + b) << "a moved: both places; b gone: its place";
}
