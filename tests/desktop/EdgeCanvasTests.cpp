#include "views/EdgeCanvas.h"

#include "Pictures.h"
#include "engine/EngineFixture.h"

#include <algorithm>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr int width = 1440;
constexpr int middle = 450;
constexpr QRgb opaqueBlack = qRgb(0, 0, 0);

// One pocket in the middle of a 1440 × 900 edge; tests set its bulge, the plus bulge and
// the pull counter by hand.
class EdgeCanvasTest : public EngineFixture {
protected:
    BlobRuntime bulge;
    double plus = 0;
    std::optional<PullCounter> counter;
    EdgeCanvas canvas;

    void SetUp() override
    {
        startWithOnePocket(3);
        bulge = engine->state().blobs[0];
    }

    // With a depth, the pocket counts a pull of its three items.
    void setBulge(double amplitude, double y = middle, int items = 0, std::int64_t depth = 0)
    {
        bulge.amplitude = SpringValue::atRest(amplitude);
        bulge.y = SpringValue::atRest(y);
        bulge.itemCount = items;
        counter.reset();
        if (depth > 0)
            counter = PullCounter { { width - amplitude / 2, y }, depth, 3, std::min(amplitude / 54, 1.0) };
    }

    // Paints the frame onto a blank picture or, given the previous frame's picture, repaints
    // only what changed, as the window does.
    QImage render(std::optional<QImage> previous = std::nullopt)
    {
        EdgeScene scene { { width, 900 }, { *engine->node(bulge, true) }, plus, counter };
        if (plus > 0.05)
            scene.nodes.push_back(BezelEngine::plusNode(plus));
        canvas.update(scene);
        QImage image = previous.value_or(blank());
        QPainter painter(&image);
        previous ? canvas.repaintChanged(painter) : canvas.paint(painter);
        return image;
    }
};

// The largest of value(x, y) over the pixels of box.
template <typename Value> int largest(QRect box, Value value)
{
    int result = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            result = std::max(result, value(x, y));
    }
    return result;
}

int brightest(const QImage& image, QRect box)
{
    return largest(box, [&](int x, int y) { return qRed(image.pixel(x, y)); });
}

// A clipped repaint blends translucent spans through other code than a full one, so the
// two may differ by a few levels of rounding but no more.
bool looksAlike(const QImage& a, const QImage& b)
{
    return largest(a.rect(), [&](int x, int y) {
        const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
        return std::max(std::abs(qRed(p) - qRed(q)), std::abs(qAlpha(p) - qAlpha(q)));
    }) <= 4;
}
} // namespace

TEST_F(EdgeCanvasTest, TheBulgeIsFilledOutToItsAmplitudeAndThePlusGlyphAndPullCounterFadeIn)
{
    setBulge(7);
    QImage image = render();
    EXPECT_EQ(image.pixel(width - 7, middle), opaqueBlack);
    EXPECT_EQ(qAlpha(image.pixel(width - 8, middle)), 0);
    EXPECT_EQ(brightest(image, { width - 9, middle - 2, 4, 4 }), 0) << "no rim on a small bulge";

    setBulge(20);
    image = render();
    EXPECT_EQ(qAlpha(image.pixel(width - 22, middle)), 0);
    const int rim = brightest(image, { width - 21, middle - 2, 2, 4 });
    EXPECT_TRUE(rim > 2 && rim < 20) << rim << ": the rim is a faint light";
    EXPECT_EQ(image.pixel(width - 10, middle), opaqueBlack) << "only the outline is lit";

    // The plus glyph fades in with the plus bulge.
    const int row = static_cast<int>(BezelEngine::plusCenter) - 1;
    plus = 6;
    EXPECT_EQ(render().pixel(width - 3, row), opaqueBlack);
    // A quarter of the way in: smoothstep gives 0.156 where a linear fade would give 0.25.
    plus = 8.75;
    EXPECT_NEAR(qRed(render().pixel(width - 5, row)), 40, 4);

    plus = 17;
    image = render();
    const int center = width - 9; // 1440 − 17 / 2
    for (const QPoint arm : { QPoint(center, row), QPoint(center - 4, row), QPoint(center, row + 5) })
        EXPECT_EQ(image.pixel(arm), qRgb(255, 255, 255)) << arm.x() << ", " << arm.y();
    EXPECT_EQ(image.pixel(center - 4, row - 4), opaqueBlack) << "a cross, not a square";

    // The pull counter, centred half way across its bulge: 1 of 3 drawn at half opacity, 3 of 3
    // fully; nothing yet at presence 30 / 54, past the engine's threshold but below the fade-in.
    const std::tuple<int, int, int, int> counters[] = { { 54, 1, 101, 149 }, { 54, 3, 221, 255 }, { 30, 3, 0, 0 } };
    for (const auto& [amplitude, depth, least, most] : counters) {
        setBulge(amplitude, middle, 3, depth);
        const int shown = brightest(render(), { width - amplitude / 2 - 12, middle - 8, 24, 16 });
        EXPECT_TRUE(shown >= least && shown <= most) << shown << " at depth " << depth << " on " << amplitude;
    }
}

TEST_F(EdgeCanvasTest, RepaintingTheChangedRegionMatchesAFullRepaint)
{
    setBulge(30, 450);
    QImage screen = render();
    setBulge(30, 300);
    screen = render(screen);
    const QRect region = canvas.changedRegion();
    EXPECT_TRUE(region.contains(QRect(width - 30, 450 - 68, 30, 136)) && region.contains(QRect(width - 30, 300 - 68, 30, 136)));
    EXPECT_LE(region.width(), 34) << "only the edge is repainted";
    EXPECT_TRUE(looksAlike(screen, render()));
    EXPECT_TRUE(canvas.changedRegion().isEmpty()) << "a frame like the one before repaints nothing";

    // The pocket goes while the plus bulge comes; then a counting pocket appears elsewhere;
    // then everything goes.
    for (const auto& [amplitude, y, plusBulge, depth] : { std::tuple(0.0, 300, 17.0, 0), { 54.0, 600, 17.0, 1 }, { 0.0, 600, 0.0, 0 } }) {
        setBulge(amplitude, y, 3, depth);
        plus = plusBulge;
        screen = render(screen);
        EXPECT_TRUE(looksAlike(screen, render())) << amplitude << " at " << y;
    }
    EXPECT_EQ(screen, blank()) << "nothing of the last frame is left";
}
