#include "EngineFixture.h"

#include <algorithm>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
BlobRuntime pocketWith(double amplitude, int items)
{
    BlobRuntime pocket;
    pocket.config = newPocket("A", 0.5);
    pocket.y = SpringValue::atRest(400);
    pocket.amplitude = SpringValue::atRest(amplitude);
    pocket.itemCount = items;
    return pocket;
}
} // namespace

class EngineStep : public EngineFixture {
protected:
    const BlobRuntime& pocket(std::size_t i) const { return engine->state().blobs.at(i); }
    void settleAt(std::optional<Point> pointer)
    {
        engine->updatePointer(pointer);
        run(3);
    }
};

TEST_F(EngineStep, FirstStepPlacesEveryPocketAtItsClampedAnchor)
{
    storePockets({ newPocket("A", 0.5), newPocket("Top", 0.01), newPocket("Bottom", 0.99) });
    makeEngine().step(frame);
    EXPECT_EQ(std::tuple(pocket(0).y, pocket(1).y.value, pocket(1).config.anchor, pocket(2).y.value),
        std::tuple(SpringValue::atRest(450), 166, 166.0 / 900, 836));
    // On a screen too short for the range every pocket keeps to the top limit.
    engine->setSize({ 800, 200 });
    run(2);
    EXPECT_NEAR(pocket(0).y.value, 166, 0.01);
}

TEST_F(EngineStep, ASettledEdgeSkipsStepsAndSwellFollowsItemsAndTheNearestPocketOnly)
{
    // The lower pocket first, so that a tie shows the earlier one winning, not the upper.
    Dropzone four = newPocket("Four", 0.7), empty = newPocket("Empty", 0.3);
    putItems(four.id, 4);
    storePockets({ four, empty });
    makeEngine();
    run(3);
    EXPECT_EQ(pocket(1).amplitude.value, 0);
    EXPECT_NEAR(pocket(0).amplitude.value, 10.6, 0.1);
    ASSERT_TRUE(engine->isQuiescent());
    // Settled, the engine skips steps until something changes.
    const auto frameBefore = engine->state().frame;
    const auto revisionBefore = engine->revision();
    engine->step(frame);
    EXPECT_EQ(std::tuple(engine->state().frame, engine->revision()), std::tuple(frameBefore, revisionBefore));

    // Each change, and the steps it takes: a bottom inset counts only when it moves by more
    // than half a point.
    const std::pair<std::function<void()>, int> changes[] = { { [&] {
                                                                   engine->updatePointer(Point { 200, 200 });
                                                               },
                                                                  1 },
        { [&] { engine->updateBottomInset(0.5); }, 0 }, { [&] { engine->updateBottomInset(80); }, 1 } };
    for (const auto& [change, steps] : changes) {
        const auto before = engine->state().frame;
        change();
        engine->step(frame);
        engine->step(frame);
        EXPECT_EQ(engine->state().frame, before + steps);
    }
    // A zero frame length moves nothing but still counts as a step.
    engine->requestStep();
    engine->step(0);
    EXPECT_EQ(engine->state().frame, frameBefore + 3);

    settleAt(Point { 1420, 270 });
    EXPECT_EQ(std::tuple(pocket(1).proximity, pocket(1).amplitude.value, engine->state().nearestPocket), std::tuple(1, 7, empty.id));
    settleAt(Point { 1420, 630 });
    EXPECT_EQ(std::tuple(pocket(1).amplitude.value, pocket(0).amplitude.value), std::tuple(0, 20));
    settleAt(Point { 1308, 632 });
    const auto nearestAtReach = engine->state().nearestPocket;
    settleAt(Point { 1300, 630 });
    EXPECT_EQ(std::tuple(pocket(0).proximity, nearestAtReach, engine->state().nearestPocket), std::tuple(0, four.id, std::nullopt));

    // Brushing a pocket ticks once per approach.
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::alignment }));
    settleAt(Point { 1420, 630 });
    EXPECT_EQ(haptics.played.size(), 3u);
    settleAt(Point { 1420, 450 });
    EXPECT_EQ(engine->state().nearestPocket, four.id);
}

TEST_F(EngineStep, EditModeSwellsEverythingAndRestsOnceSettled)
{
    storePockets({ newPocket("A", 0.3), newPocket("B", 0.7) });
    makeEngine().setEditing(true);
    run(3);
    EXPECT_EQ(std::tuple(pocket(0).amplitude.value, pocket(1).amplitude.value, engine->state().plusAmplitude.value), std::tuple(22, 22, 22));
    EXPECT_EQ(std::tuple(engine->nodes().size(), engine->nodes().back()), std::tuple(3u, BezelNode { 62, 22, 9, 44, 44, 0, 4.5 }))
        << "the plus comes last";
    const auto frameBefore = engine->state().frame;
    engine->step(frame);
    EXPECT_TRUE(engine->isQuiescent() && engine->state().frame == frameBefore) << "settled edit mode lets the frame loop sleep";
    settleAt(Point { 1440, 62 });
    EXPECT_NEAR(engine->state().plusAmplitude.value, 32, 0.05) << "the plus swells under the pointer";

    engine->setEditing(false);
    run(3);
    EXPECT_EQ(engine->state().plusAmplitude.value, 0);
    EXPECT_TRUE(engine->isQuiescent() && std::ranges::all_of(engine->nodes(), [](const BezelNode& node) { return node.amplitude == 0; }));
}

TEST_F(EngineStep, ExternalDragSwellsTheTargetAndLeansNeighboursAndADraggedPocketStopsAtTheWall)
{
    Dropzone target = newPocket("Target", 0.5), neighbour = newPocket("Neighbour", 0.5 + 129.0 / 900);
    storePockets({ target, neighbour });
    makeEngine().step(frame);
    engine->updateDragPayload(Point { 1410, 450 });
    run(3);
    EXPECT_EQ(std::tuple(engine->state().dropTarget, pocket(0).amplitude.value, pocket(0).lean.value, pocket(1).amplitude.value),
        std::tuple(target.id, 42, 0, 0));

    // A system drag with no payload uses the pointer; a drag too far from the edge does nothing.
    engine->endSystemDrag();
    engine->beginSystemDrag();
    settleAt(Point { 1410, 500 });
    EXPECT_TRUE(pocket(0).lean.value > 0 && pocket(0).lean.value <= 14 && pocket(1).lean.value < 0)
        << pocket(0).lean.value << " " << pocket(1).lean.value;
    settleAt(Point { 1179, 500 });
    EXPECT_EQ(std::tuple(pocket(0).amplitude.value, pocket(0).lean.value), std::tuple(0, 0));

    // Dragged against the wall, a pocket ticks once and stays at the limit.
    engine->endSystemDrag();
    grabPocket({ 1420, 450 });
    settleAt(Point { 1420, 300 });
    const std::size_t grabbed = haptics.played.size();
    for (double y = 200; y >= 20; y -= 20) {
        engine->updatePointer(Point { 1420, y });
        run(0.1);
    }
    EXPECT_EQ(std::tuple(pocket(0).targetY, pocket(0).config.anchor), std::tuple(166, 166.0 / 900));
    EXPECT_NEAR(pocket(0).y.value, 166, 0.01);
    EXPECT_EQ(
        std::vector(haptics.played.begin() + static_cast<long>(grabbed), haptics.played.end()), std::vector { HapticPattern::alignment });
    EXPECT_GE(pocket(0).amplitude.value, 29.99);
}

using EngineShape = EngineFixture;

TEST_F(EngineShape, NodeProportionsForEmptyFilledFastAndGulpingPockets)
{
    makeEngine();
    EXPECT_EQ(engine->node(pocketWith(7, 0), true), (BezelNode { 400, 7, 34, 36, 36, 0, 7.5 }));
    BlobRuntime faded = pocketWith(7, 0);
    faded.life = SpringValue::atRest(0.001);
    EXPECT_FALSE(engine->node(faded, true));

    // Well past the fastest a stretch grows, a shrinking gulp, a swelling one.
    BlobRuntime fast = pocketWith(22, 0), shrinking = pocketWith(20, 0), gulping = pocketWith(20, 0);
    fast.y.velocity = -5000;
    shrinking.swallow = { -0.5, 0, false };
    gulping.swallow = { 2, 0, false };
    // The pocket, and its node's amplitude, core and falloffs above and below.
    const std::pair<BlobRuntime, std::array<double, 4>> cases[] = { { pocketWith(20, 1), { 20, 10.62, 53.119309, 56.903891 } },
        { fast, { 17.670825, 52.7, 55.8, 55.8 } }, { shrinking, { 17.2, 34, 36, 36 } }, { gulping, { 41.85, 34, 50.076, 50.076 } } };
    for (const auto& [pocket, expected] : cases) {
        const BezelNode node = *engine->node(pocket, true);
        const std::array<double, 4> actual { node.amplitude, node.core, node.falloffTop, node.falloffBottom };
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(actual[i], expected[i], 1e-6) << i;
    }
}
