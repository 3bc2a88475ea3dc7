#include "views/EdgeCanvas.h"

#include "engine/EngineFixture.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
// One empty pocket resting at the middle of a 1440 × 900 edge; tests set its bulge by hand.
class EdgeCanvasTest : public EngineFixture {
protected:
    static constexpr int width = 1440;
    static constexpr int middle = 450;
    Dropzone pocket = zone("A", 0.5);

    void SetUp() override
    {
        storeZones({ pocket });
        putItems(pocket.id, 3);
        makeEngine();
        engine->step(frame);
        engine->blobs[0].itemCount = 0;
    }

    void setBulge(double amplitude, double y = middle)
    {
        engine->blobs[0].amplitude = SpringValue::atRest(amplitude);
        engine->blobs[0].y = SpringValue::atRest(y);
    }

    static QImage blankImage()
    {
        QImage image(width, 900, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }

    QImage render()
    {
        canvas.update(*engine);
        QImage image = blankImage();
        QPainter painter(&image);
        canvas.paint(painter);
        return image;
    }

    void repaintChanged(QImage& image)
    {
        QPainter painter(&image);
        canvas.repaintChanged(painter);
    }

    static int brightest(const QImage& image, QRect box)
    {
        int red = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x)
                red = std::max(red, qRed(image.pixel(x, y)));
        }
        return red;
    }

    EdgeCanvas canvas;
};

std::string describe(QRect r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" + std::to_string(r.height());
}

// The box around the pixels where two pictures differ by more than rounding. A clipped
// repaint blends translucent spans through other code than a full one, a few levels apart.
std::string difference(const QImage& a, const QImage& b)
{
    constexpr int rounding = 4;
    auto apart = [](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) > rounding || std::abs(qGreen(p) - qGreen(q)) > rounding
            || std::abs(qBlue(p) - qBlue(q)) > rounding || std::abs(qAlpha(p) - qAlpha(q)) > rounding;
    };
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (apart(a.pixel(x, y), b.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box.isNull() ? "none" : describe(box);
}

constexpr QRgb opaqueBlack = qRgba(0, 0, 0, 255);
constexpr QRgb opaqueWhite = qRgba(255, 255, 255, 255);
} // namespace

TEST_F(EdgeCanvasTest, TheBulgeIsFilledBlackOutToItsAmplitude)
{
    setBulge(7);
    QImage image = render();
    EXPECT_EQ(image.pixel(width - 7, middle), opaqueBlack);
    EXPECT_EQ(image.pixel(width - 1, middle), opaqueBlack);
    EXPECT_EQ(qAlpha(image.pixel(width - 8, middle)), 0);
    // An empty pocket at amplitude 7 reaches 70 points above and below its centre.
    EXPECT_EQ(qAlpha(image.pixel(width - 1, middle - 72)), 0);
    EXPECT_EQ(qAlpha(image.pixel(width - 1, middle + 72)), 0);

    setBulge(30);
    image = render();
    EXPECT_EQ(qAlpha(image.pixel(width - 30, middle)), 255);
    EXPECT_EQ(image.pixel(width - 28, middle), opaqueBlack);
    EXPECT_EQ(qAlpha(image.pixel(width - 32, middle)), 0);

    setBulge(0);
    EXPECT_EQ(render(), blankImage()) << "a pocket at rest draws nothing";
}

TEST_F(EdgeCanvasTest, TheRimLightShowsOnlyOnLargeBulges)
{
    setBulge(7);
    QImage image = render();
    EXPECT_EQ(brightest(image, { width - 9, middle - 2, 4, 4 }), 0);

    setBulge(20);
    image = render();
    const int rim = brightest(image, { width - 21, middle - 2, 2, 4 });
    EXPECT_GT(rim, 2);
    EXPECT_LT(rim, 20) << "the rim is a faint light";
    EXPECT_EQ(image.pixel(width - 10, middle), opaqueBlack) << "only the outline is lit";
}

TEST_F(EdgeCanvasTest, ThePlusGlyphFadesInWithThePlusBulge)
{
    const int glyphRow = static_cast<int>(BezelEngine::plusCenter) - 1;
    engine->plusAmplitude = SpringValue::atRest(6);
    QImage image = render();
    EXPECT_EQ(image.pixel(width - 3, glyphRow), opaqueBlack);

    // A quarter of the way in: smoothstep gives 0.156 where a linear fade would give 0.25.
    engine->plusAmplitude = SpringValue::atRest(8.75);
    image = render();
    EXPECT_NEAR(qRed(image.pixel(width - 5, glyphRow)), 40, 4);

    engine->plusAmplitude = SpringValue::atRest(17);
    image = render();
    const int center = width - 9; // the glyph is centred at 1440 − 17 / 2
    EXPECT_EQ(image.pixel(center, glyphRow), opaqueWhite);
    EXPECT_EQ(image.pixel(center - 4, glyphRow), opaqueWhite);
    EXPECT_EQ(image.pixel(center, glyphRow + 5), opaqueWhite);
    EXPECT_EQ(image.pixel(center - 4, glyphRow - 4), opaqueBlack) << "a cross, not a square";
}

TEST_F(EdgeCanvasTest, ThePullCounterShowsOnlyWhileCountingAndBrightensWhenComplete)
{
    engine->blobs[0].itemCount = 3;
    setBulge(54);
    const QRect aroundCounter(width - 27 - 12, middle - 8, 24, 16);
    EXPECT_EQ(brightest(render(), aroundCounter), 0);

    engine->beginPullCount(pocket.id);
    const int partial = brightest(render(), aroundCounter);
    EXPECT_GT(partial, 100);
    EXPECT_LT(partial, 150) << "1 of 3 is drawn at half opacity";

    engine->setPullDepth(3);
    EXPECT_GT(brightest(render(), aroundCounter), 220);

    // Presence 30 / 54 is past the engine's threshold but below the fade-in.
    setBulge(30);
    ASSERT_TRUE(engine->pullCounter());
    EXPECT_EQ(brightest(render(), { width - 15 - 12, middle - 8, 24, 16 }), 0);
}

TEST_F(EdgeCanvasTest, RepaintingTheChangedRegionMatchesAFullRepaint)
{
    setBulge(30, 450);
    QImage screen = render();

    setBulge(30, 300);
    canvas.update(*engine);
    QRect region = canvas.changedRegion();
    EXPECT_TRUE(region.contains(QRect(width - 30, 450 - 68, 30, 136))) << describe(region);
    EXPECT_TRUE(region.contains(QRect(width - 30, 300 - 68, 30, 136))) << describe(region);
    EXPECT_LE(region.width(), 34) << "only the edge is repainted";
    repaintChanged(screen);
    EXPECT_EQ(difference(screen, render()), "none");

    canvas.update(*engine);
    EXPECT_FALSE(canvas.changedRegion().intersects(QRect(0, 450, width, 10))) << "the old place was repainted already";

    // The pocket goes, the plus bulge and the counter appear.
    setBulge(0, 300);
    engine->plusAmplitude = SpringValue::atRest(17);
    canvas.update(*engine);
    repaintChanged(screen);
    EXPECT_EQ(difference(screen, render()), "none");

    engine->blobs[0].itemCount = 3;
    setBulge(54, 600);
    engine->beginPullCount(pocket.id);
    canvas.update(*engine);
    repaintChanged(screen);
    EXPECT_EQ(difference(screen, render()), "none");

    engine->plusAmplitude = SpringValue::atRest(0);
    engine->endPullCount();
    setBulge(0, 600);
    canvas.update(*engine);
    repaintChanged(screen);
    EXPECT_EQ(screen, blankImage()) << "nothing of the last frame is left";
}
