#include "EngineFixture.h"

#include <cmath>

using namespace kestrane;
using namespace kestrane::testing;

class EngineShape : public EngineFixture {
protected:
    BlobRuntime blobWith(double amplitude, int items)
    {
        BlobRuntime blob;
        blob.config = zone("A", 0.5);
        blob.y = SpringValue::atRest(400);
        blob.amplitude = SpringValue::atRest(amplitude);
        blob.itemCount = items;
        return blob;
    }
};

TEST_F(EngineShape, NodeProportionsForEmptyAndFilledPockets)
{
    makeEngine();
    auto empty = engine->node(blobWith(7, 0), true);
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, (BezelNode { 400, 7, 34, 36, 36, 0, 7.5 }));

    auto filled = engine->node(blobWith(20, 1), true);
    ASSERT_TRUE(filled);
    EXPECT_NEAR(filled->core, 10.62, 1e-9);
    EXPECT_NEAR(filled->falloffTop, 53.119309, 1e-6);
    EXPECT_NEAR(filled->falloffBottom, 56.903891, 1e-6);

    BlobRuntime faded = blobWith(7, 0);
    faded.life = SpringValue::atRest(0.001);
    EXPECT_FALSE(engine->node(faded, true));
}

TEST_F(EngineShape, FastBlobStretchesAndGulpsReshapeTheBulge)
{
    makeEngine();
    BlobRuntime fast = blobWith(22, 0);
    // Well past the fastest a stretch grows.
    fast.y.velocity = -5000;
    auto node = engine->node(fast, true);
    EXPECT_NEAR(node->amplitude, 17.670825, 1e-6);
    EXPECT_NEAR(node->core, 52.7, 1e-9);
    EXPECT_NEAR(node->falloffTop, 55.8, 1e-9);

    BlobRuntime shrinking = blobWith(20, 0);
    shrinking.swallow = { -0.5, 0, false };
    node = engine->node(shrinking, true);
    EXPECT_NEAR(node->amplitude, 17.2, 1e-9);
    EXPECT_EQ(node->falloffTop, 36);

    BlobRuntime gulping = blobWith(20, 0);
    gulping.swallow = { 2, 0, false };
    node = engine->node(gulping, true);
    EXPECT_NEAR(node->amplitude, 41.85, 1e-9);
    EXPECT_NEAR(node->falloffBottom, 50.076, 1e-9);
}

TEST_F(EngineShape, OpenDrawerStaysInsideTheScreenAndSagsWhileClearing)
{
    const Dropzone open = startWithOnePocket(3);
    engine->openDrawer(open.id);
    deliverResults();
    run(2);
    BlobRuntime blob = engine->state().blobs[0];
    blob.y = SpringValue::atRest(20);
    EXPECT_EQ(engine->node(blob, false)->center, 103);
    blob.y = SpringValue::atRest(890);
    EXPECT_EQ(engine->node(blob, false)->center, 900 - 103);

    // Held at a full charge, the drawer hangs lower.
    for (double v = 1; v <= 150; ++v)
        engine->setPurgeOverscroll(v, open.id);
    engine->step(frame);
    blob = engine->state().blobs[0];
    const double purge = engine->state().purge.value;
    ASSERT_GT(purge, 0.001);
    ASSERT_LT(purge, 0.995);
    const auto plain = *engine->node(blob, false);
    const auto sagging = *engine->node(blob, true);
    EXPECT_GT(sagging.center, plain.center);
    EXPECT_LE(sagging.center, plain.center + 22);
    EXPECT_GT(sagging.falloffBottom, plain.falloffBottom);
    EXPECT_LT(sagging.amplitude, plain.amplitude);
}

TEST_F(EngineShape, NodesListVisibleBlobsThenThePlus)
{
    const Dropzone a = zone("A", 0.3), b = zone("B", 0.6);
    storeZones({ a, b });
    makeEngine().setEditing(true);
    engine->removeZone(b.id);
    run(3);
    const auto nodes = engine->nodes();
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].center, 270);
    EXPECT_EQ(nodes[1], (BezelNode { 62, 22, 9, 44, 44, 0, 4.5 }));
}
