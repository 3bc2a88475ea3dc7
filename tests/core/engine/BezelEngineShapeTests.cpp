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
    const double k = 0.62 + 0.38 * (20.0 / 22);
    EXPECT_NEAR(filled->core, 11 * k, 1e-12);
    EXPECT_NEAR(filled->falloffTop, 56 * k * (1 - 0.14 / 8), 1e-12);
    EXPECT_NEAR(filled->falloffBottom, 56 * k * (1 + 0.42 / 8), 1e-12);
    EXPECT_NEAR(filled->core, 10.6, 0.05);

    BlobRuntime faded = blobWith(7, 0);
    faded.life = SpringValue::atRest(0.001);
    EXPECT_FALSE(engine->node(faded, true));
}

TEST_F(EngineShape, FastBlobStretchesAndGulpsReshapeTheBulge)
{
    makeEngine();
    BlobRuntime fast = blobWith(22, 0);
    fast.y.velocity = 1430;
    auto node = engine->node(fast, true);
    EXPECT_NEAR(node->amplitude, 22 / std::sqrt(1.55), 1e-12);
    EXPECT_NEAR(node->core, 34 * 1.55, 1e-12);
    EXPECT_NEAR(node->falloffTop, 36 * 1.55, 1e-12);

    BlobRuntime shrinking = blobWith(20, 0);
    shrinking.swallow = { -0.5, 0, false };
    node = engine->node(shrinking, true);
    EXPECT_NEAR(node->amplitude, 20 * 0.86, 1e-12);
    EXPECT_EQ(node->falloffTop, 36);

    BlobRuntime gulping = blobWith(20, 0);
    gulping.swallow = { 2, 0, false };
    node = engine->node(gulping, true);
    EXPECT_NEAR(node->amplitude, 20 + 19 * 1.15, 1e-12);
    EXPECT_NEAR(node->falloffBottom, 36 * (1 + 0.34 * 1.15), 1e-12);
}

TEST_F(EngineShape, OpenDrawerStaysInsideTheScreenAndSagsWhileClearing)
{
    Dropzone open = zone("Open", 0.1);
    putItems(open.id, 3);
    storeZones({ open });
    makeEngine();
    engine->openZone = open.id;
    engine->openProgress = SpringValue::atRest(1);
    engine->openHeightValue = SpringValue::atRest(174);
    BlobRuntime blob = engine->blobs[0];
    blob.y = SpringValue::atRest(20);
    EXPECT_EQ(engine->node(blob, false)->center, 103);
    blob.y = SpringValue::atRest(890);
    EXPECT_EQ(engine->node(blob, false)->center, 900 - 103);

    engine->purgeZone = open.id;
    engine->purge = SpringValue::atRest(0.5);
    const auto plain = *engine->node(blob, false);
    const auto sagging = *engine->node(blob, true);
    EXPECT_EQ(sagging.center, plain.center + 11);
    EXPECT_NEAR(sagging.falloffBottom, plain.falloffBottom * 1.65, 1e-12);
    EXPECT_NEAR(sagging.amplitude, plain.amplitude * 0.95, 1e-12);
}

TEST_F(EngineShape, NodesListVisibleBlobsThenThePlus)
{
    storeZones({ zone("A", 0.3), zone("B", 0.6) });
    makeEngine();
    engine->blobs[0].amplitude = SpringValue::atRest(5);
    engine->blobs[1].life = SpringValue::atRest(0);
    engine->plusAmplitude = SpringValue::atRest(22);
    const auto nodes = engine->nodes();
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[1], (BezelNode { 62, 22, 9, 44, 44, 0, 4.5 }));
}
