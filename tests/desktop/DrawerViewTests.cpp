#include "views/DrawerView.h"

#include "Pictures.h"
#include "engine/EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
// The bright lines of the names' column: one band per row whose name shows.
struct Band {
    int centre = 0;
    int brightness = 0;
};

class DrawerViewTest : public EngineFixture {
protected:
    Dropzone pocket;
    DrawerView view;

    void open(int items, double seconds = 1.5)
    {
        pocket = startWithOnePocket(items);
        engine->openDrawer(pocket.id);
        main.runUntilIdle();
        run(seconds);
        view.update(*engine, std::nullopt);
    }

    QRectF content() const
    {
        const Rect rect = *engine->openContentRect();
        return { rect.x, rect.y, rect.width, rect.height };
    }

    QImage render()
    {
        view.update(*engine, std::nullopt);
        return drawn(1440, 900, [&](QPainter& painter) { view.paint(painter); });
    }

    // Scans the names' column from top to bottom of the screen.
    static std::vector<Band> bands(const QImage& image, int left)
    {
        std::vector<Band> found;
        bool inside = false;
        int start = 0;
        for (int y = 0; y < image.height(); ++y) {
            int bright = 0;
            for (int x = left; x < left + 40; ++x)
                bright = std::max(bright, qRed(image.pixel(x, y)));
            if (bright > 60 && !inside) {
                inside = true;
                start = y;
                found.push_back({});
            }
            if (inside)
                found.back().brightness = std::max(found.back().brightness, bright);
            if (bright <= 60 && inside) {
                inside = false;
                found.back().centre = (start + y) / 2;
            }
        }
        return found;
    }

    int namesColumn() const { return static_cast<int>(content().left()) + 50; }
};
} // namespace

TEST_F(DrawerViewTest, SixRowsSitCentredUnfadedSevenScrollWithMarginsAndFadingEnds)
{
    open(6);
    const std::vector<Band> six = bands(render(), namesColumn());
    ASSERT_EQ(six.size(), 6u);
    const QRectF list = content();
    EXPECT_NEAR(six.front().centre - list.top(), list.bottom() - six.back().centre, 2) << "centred";
    EXPECT_NEAR(six[1].centre - six[0].centre, DrawerView::rowHeight, 1);
    EXPECT_GE(six.back().brightness, six[2].brightness - 8) << "no fading";

    open(7);
    const std::vector<Band> seven = bands(render(), namesColumn());
    ASSERT_GE(seven.size(), 6u);
    EXPECT_NEAR(seven.front().centre - content().top(), 18 + 23, 2) << "an 18-point margin above the first row";
    EXPECT_LT(seven[5].brightness, seven[2].brightness * 3 / 4) << "the sixth row lies in the bottom fade";
}

TEST_F(DrawerViewTest, RowsHideBehindASmallBulgeAndSinkAndDimUnderAClearingPull)
{
    open(3, 0);
    const auto growTo = [&](double share) {
        while (engine->openLayoutNode()->amplitude < share * 214)
            run(1.0 / 480);
        return render();
    };
    EXPECT_TRUE(growTo(0.17) == blank()) << "nothing shows below 18 % of the open width";
    run(1.5);
    const std::vector<Band> settled = bands(render(), namesColumn());
    ASSERT_EQ(settled.size(), 3u);
    engine->setClearingOverscroll(90, pocket.id);
    run(0.3);
    const double clearing = engine->state().clearing.value;
    ASSERT_GT(clearing, 0.3);
    const std::vector<Band> sunk = bands(render(), namesColumn());
    ASSERT_EQ(sunk.size(), 3u);
    EXPECT_GT(sunk[1].centre - settled[1].centre, 30 * clearing * 0.6);
    EXPECT_LT(sunk[2].centre - sunk[0].centre, settled[2].centre - settled[0].centre) << "shrunk";
    EXPECT_NEAR(static_cast<double>(sunk[1].brightness) / settled[1].brightness, 1 - 0.55 * clearing, 0.06);
}

TEST_F(DrawerViewTest, OnlyTheHoveredRowOffersItsRemoveButtonAndNothingIsClickableWhileOpening)
{
    open(3, 0.05);
    const auto middle = [&] { return QPointF(content().left() + 60, content().center().y()); };
    EXPECT_FALSE(view.hitAt(middle())) << "still opening";
    run(1.5);
    view.update(*engine, middle());
    const QPointF removeButton(content().right() - 24, middle().y());
    const auto hit = view.hitAt(middle());
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->part, DrawerView::Part::row);
    EXPECT_EQ(hit->item, view.hoveredItem());
    EXPECT_EQ(view.hitAt(removeButton)->part, DrawerView::Part::removeButton);
    EXPECT_EQ(view.helpAt(removeButton), "Remove this item");
    EXPECT_TRUE(view.helpAt(middle()).endsWith(".txt\nClick to open \u00B7 drag to take it out")) << view.helpAt(middle()).toStdString();
    EXPECT_FALSE(view.hitAt(removeButton + QPointF(0, 46))) << "the row below is not hovered";
    EXPECT_FALSE(view.hitAt(QPointF(content().right() - 3, middle().y()))) << "beside the button, the trailing strip takes nothing";

    view.moveHighlight(1);
    EXPECT_EQ(view.hoveredItem(), engine->state().openItems[2]);
    view.removeHighlighted(*engine);
    EXPECT_EQ(engine->state().openItems.size(), 2u);
    EXPECT_EQ(view.hoveredItem(), engine->state().openItems[1]) << "the neighbour is highlighted";
}

TEST(DrawerViewNames, ANameIsCutOnceAndKeepsItsEnding)
{
    const QFontMetricsF metrics(QFont("DejaVu Sans", 12));
    const auto ellipses = [](const QString& name) { return name.count(QChar(0x2026)); };
    const QString headline = QString("Selected text from a lon") + QChar(0x2026) + ".txt";
    const QString fitted = DrawerView::fittedName(headline, metrics, 90);
    EXPECT_EQ(ellipses(fitted), 1) << fitted.toStdString();
    EXPECT_TRUE(fitted.startsWith("Sel") && fitted.endsWith(QChar(0x2026) + QString(".txt"))) << fitted.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(fitted), 90);

    const QString plain = DrawerView::fittedName("quarterly-report-final-version.pdf", metrics, 90);
    EXPECT_EQ(ellipses(plain), 1);
    EXPECT_TRUE(plain.startsWith("qua") && plain.endsWith("pdf")) << plain.toStdString();
    EXPECT_EQ(DrawerView::fittedName(headline, metrics, 1000), headline);
    EXPECT_LE(ellipses(DrawerView::fittedName(headline, metrics, 12)), 1);
}
