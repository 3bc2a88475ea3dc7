#include "views/EdgeCanvas.h"

#include "engine/EngineFixture.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr int width = 1440;
constexpr int middle = 450;
constexpr QRgb opaqueBlack = qRgba(0, 0, 0, 255);
constexpr QRgb opaqueWhite = qRgba(255, 255, 255, 255);

// One pocket in the middle of a 1440 × 900 edge; tests set its bulge, the plus bulge and
// the pull counter by hand.
class EdgeCanvasTest : public EngineFixture {
protected:
    BlobRuntime bulge;
    double plus = 0;
    std::optional<PullCounter> counter;

    void SetUp() override
    {
        startWithOnePocket(3);
        bulge = engine->state().blobs[0];
    }

    void setBulge(double amplitude, double y = middle, int items = 0)
    {
        bulge.amplitude = SpringValue::atRest(amplitude);
        bulge.y = SpringValue::atRest(y);
        bulge.itemCount = items;
    }
    void count(std::int64_t depth)
    {
        const double a = bulge.amplitude.value;
        counter = PullCounter { { width - a / 2, bulge.y.value }, depth, 3, std::min(a / 54, 1.0) };
    }

    EdgeScene scene() const
    {
        EdgeScene scene { { width, 900 }, { *engine->node(bulge, true) }, plus, counter };
        if (plus > 0.05)
            scene.nodes.push_back(BezelEngine::plusNode(plus));
        return scene;
    }

    static QImage blank()
    {
        QImage image(width, 900, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }

    QImage render()
    {
        canvas.update(scene());
        QImage image = blank();
        QPainter painter(&image);
        canvas.paint(painter);
        return image;
    }

    // Brings a picture of the previous frame up to date, as the window does.
    void repaintChanged(QImage& image)
    {
        canvas.update(scene());
        QPainter painter(&image);
        canvas.repaintChanged(painter);
    }

    EdgeCanvas canvas;
};

int brightest(const QImage& image, QRect box)
{
    int red = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            red = std::max(red, qRed(image.pixel(x, y)));
    }
    return red;
}

// A clipped repaint blends translucent spans through other code than a full one, so the
// two may differ by a few levels of rounding but no more.
bool looksAlike(const QImage& a, const QImage& b)
{
    constexpr int rounding = 4;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > rounding || std::abs(qAlpha(p) - qAlpha(q)) > rounding)
                return false;
        }
    }
    return true;
}
} // namespace

TEST_F(EdgeCanvasTest, TheBulgeIsFilledOutToItsAmplitudeAndLitOnlyWhenLarge)
{
    setBulge(7);
    QImage image = render();
    EXPECT_EQ(image.pixel(width - 7, middle), opaqueBlack);
    EXPECT_EQ(qAlpha(image.pixel(width - 8, middle)), 0);
    // An empty pocket at amplitude 7 reaches 70 points above and below its centre.
    EXPECT_EQ(qAlpha(image.pixel(width - 1, middle - 72)), 0);
    EXPECT_EQ(qAlpha(image.pixel(width - 1, middle + 72)), 0);
    EXPECT_EQ(brightest(image, { width - 9, middle - 2, 4, 4 }), 0) << "no rim on a small bulge";

    setBulge(20);
    image = render();
    EXPECT_EQ(qAlpha(image.pixel(width - 20, middle)), 255);
    EXPECT_EQ(qAlpha(image.pixel(width - 22, middle)), 0);
    const int rim = brightest(image, { width - 21, middle - 2, 2, 4 });
    EXPECT_GT(rim, 2);
    EXPECT_LT(rim, 20) << "the rim is a faint light";
    EXPECT_EQ(image.pixel(width - 10, middle), opaqueBlack) << "only the outline is lit";

    setBulge(0);
    EXPECT_EQ(render(), blank());
}

TEST_F(EdgeCanvasTest, ThePlusGlyphFadesInWithThePlusBulge)
{
    const int row = static_cast<int>(BezelEngine::plusCenter) - 1;
    plus = (6);
    EXPECT_EQ(render().pixel(width - 3, row), opaqueBlack);

    // A quarter of the way in: smoothstep gives 0.156 where a linear fade would give 0.25.
    plus = (8.75);
    EXPECT_NEAR(qRed(render().pixel(width - 5, row)), 40, 4);

    plus = (17);
    const QImage image = render();
    const int center = width - 9; // 1440 − 17 / 2
    EXPECT_EQ(image.pixel(center, row), opaqueWhite);
    EXPECT_EQ(image.pixel(center - 4, row), opaqueWhite);
    EXPECT_EQ(image.pixel(center, row + 5), opaqueWhite);
    EXPECT_EQ(image.pixel(center - 4, row - 4), opaqueBlack) << "a cross, not a square";
}

TEST_F(EdgeCanvasTest, ThePullCounterShowsWhileCountingAndBrightensWhenComplete)
{
    setBulge(54, middle, 3);
    const QRect counter(width - 27 - 12, middle - 8, 24, 16);
    EXPECT_EQ(brightest(render(), counter), 0);

    count(1);
    const int partial = brightest(render(), counter);
    EXPECT_GT(partial, 100);
    EXPECT_LT(partial, 150) << "1 of 3 is drawn at half opacity";
    count(3);
    EXPECT_GT(brightest(render(), counter), 220);

    // Presence 30 / 54 is past the engine's threshold but below the fade-in.
    setBulge(30, middle, 3);
    count(3);
    EXPECT_EQ(brightest(render(), counter.translated(12, 0)), 0);
}

TEST_F(EdgeCanvasTest, RepaintingTheChangedRegionMatchesAFullRepaint)
{
    setBulge(30, 450);
    QImage screen = render();
    setBulge(30, 300);
    repaintChanged(screen);
    const QRect region = canvas.changedRegion();
    EXPECT_TRUE(region.contains(QRect(width - 30, 450 - 68, 30, 136)));
    EXPECT_TRUE(region.contains(QRect(width - 30, 300 - 68, 30, 136)));
    EXPECT_LE(region.width(), 34) << "only the edge is repainted";
    EXPECT_TRUE(looksAlike(screen, render()));
    canvas.update(scene());
    EXPECT_FALSE(canvas.changedRegion().intersects(QRect(0, 450, width, 10))) << "the old place is clean already";

    // The pocket goes while the plus bulge comes; then a counting pocket appears elsewhere.
    setBulge(0, 300);
    plus = (17);
    repaintChanged(screen);
    EXPECT_TRUE(looksAlike(screen, render()));
    setBulge(54, 600, 3);
    count(1);
    repaintChanged(screen);
    EXPECT_TRUE(looksAlike(screen, render()));

    plus = (0);
    counter.reset();
    setBulge(0, 600);
    repaintChanged(screen);
    EXPECT_EQ(screen, blank()) << "nothing of the last frame is left";
}
