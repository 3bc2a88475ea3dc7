#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
BlobRuntime blobWith(double amplitude, int items)
{
    BlobRuntime blob;
    blob.config = zone("A", 0.5);
    blob.y = SpringValue::atRest(400);
    blob.amplitude = SpringValue::atRest(amplitude);
    blob.itemCount = items;
    return blob;
}
} // namespace

using EngineShape = EngineFixture;

TEST_F(EngineShape, NodeProportionsForEmptyFilledFastAndGulpingPockets)
{
    makeEngine();
    EXPECT_EQ(engine->node(blobWith(7, 0), true), (BezelNode { 400, 7, 34, 36, 36, 0, 7.5 }));
    BlobRuntime faded = blobWith(7, 0);
    faded.life = SpringValue::atRest(0.001);
    EXPECT_FALSE(engine->node(faded, true));

    // Well past the fastest a stretch grows, a shrinking gulp, a swelling one.
    BlobRuntime fast = blobWith(22, 0), shrinking = blobWith(20, 0), gulping = blobWith(20, 0);
    fast.y.velocity = -5000;
    shrinking.swallow = { -0.5, 0, false };
    gulping.swallow = { 2, 0, false };
    // The blob, and its node's amplitude, core and falloffs above and below.
    const std::pair<BlobRuntime, std::array<double, 4>> cases[] = { { blobWith(20, 1), { 20, 10.62, 53.119309, 56.903891 } },
        { fast, { 17.670825, 52.7, 55.8, 55.8 } }, { shrinking, { 17.2, 34, 36, 36 } }, { gulping, { 41.85, 34, 50.076, 50.076 } } };
    for (const auto& [blob, expected] : cases) {
        const BezelNode node = *engine->node(blob, true);
        const std::array<double, 4> actual { node.amplitude, node.core, node.falloffTop, node.falloffBottom };
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(actual[i], expected[i], 1e-6) << i;
    }
}
