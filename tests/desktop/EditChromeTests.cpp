#include "views/EditChrome.h"

#include "Pictures.h"
#include "engine/EngineWithPreferences.h"

#include <QEventLoop>
#include <QTimer>

using namespace kestrane;
using namespace kestrane::testing;

namespace {

// Three pockets holding 0, 1 and 2 items, in edit mode.
class EditChromeTest : public EngineWithPreferences {
protected:
    std::unique_ptr<EditChrome> chrome;
    std::vector<Dropzone> pockets { newPocket("Empty", 0.3), newPocket("One", 0.5), newPocket("Two", 0.7) };

    void SetUp() override
    {
        storePockets(pockets);
        putItems(pockets[1].id, 1);
        putItems(pockets[2].id, 2);
        makeEngine().setSize({ 1440, 900 });
        chrome = std::make_unique<EditChrome>(EditModeModel { *engine, prefs, defaults, introduction });
        engine->setEditing(true);
        settle();
    }

    void settle()
    {
        run(1.5);
        chrome->update(std::nullopt, QImage(), QPoint());
    }

    double yOf(std::size_t pocket) const { return engine->pocket(pockets[pocket].id)->y.value; }
    // The rows whose name takes a press.
    int visibleFields() const
    {
        int visible = 0;
        for (const auto& pocket : pockets) {
            const BlobRuntime* bulge = engine->pocket(pocket.id);
            visible += bulge
                && chrome->hitAt({ 1440 - EditChrome::rowTrailingInset - 100, bulge->y.value })
                    == EditChrome::Hit { EditChrome::Control::row, pocket.id };
        }
        return visible;
    }
};

// Just left of where the rows end at the edge: the count badge while not arranging.
constexpr double badgeX = 1440 - EditChrome::rowTrailingInset - 7 - 9;
// The remove button's centre once arranging.
constexpr double removeX = 1440 - EditChrome::rowTrailingInset - 13;

TEST_F(EditChromeTest, RowsCountItemsTakeRemovalOnlyWhenArrangingAndLeaveWithTheirPocket)
{
    EXPECT_EQ(chrome->helpAt({ badgeX, yOf(0) }), "") << "no badge on an empty pocket";
    EXPECT_EQ(chrome->helpAt({ badgeX, yOf(1) }), "1 item");
    EXPECT_EQ(chrome->helpAt({ badgeX, yOf(2) }), "2 items");
    EXPECT_EQ(chrome->hitAt({ badgeX, yOf(1) }), EditChrome::Hit({ EditChrome::Control::row, pockets[1].id }))
        << "a press on the count stays in edit mode";
    EXPECT_EQ(visibleFields(), 3);

    const auto hitRemove = [&] { return chrome->hitAt({ removeX, yOf(0) }); };
    ASSERT_TRUE(hitRemove());
    EXPECT_NE(hitRemove()->control, EditChrome::Control::removePocket) << "not arranging";
    engine->setArranging(true);
    for (int tick = 0; tick < 200 && engine->pocket(pockets[0].id)->arrange.value < 0.55; ++tick)
        run(1.0 / 120);
    chrome->update(std::nullopt, QImage(), QPoint());
    ASSERT_LT(engine->pocket(pockets[0].id)->arrange.value, 0.6);
    EXPECT_NE(hitRemove()->control, EditChrome::Control::removePocket) << "arrange below 0.6";
    settle();
    EXPECT_EQ(hitRemove()->control, EditChrome::Control::removePocket);
    EXPECT_EQ(chrome->helpAt({ removeX, yOf(0) }), "Remove this pocket");

    chrome->press({ removeX, yOf(0) });
    EXPECT_TRUE(chrome->release({ removeX, yOf(0) }));
    settle();
    EXPECT_EQ(visibleFields(), 2) << "the removed pocket's row is gone";
}

TEST_F(EditChromeTest, ANamePressedTakesTypingAndPasteAndReturnLetsItGo)
{
    engine->setArranging(true);
    settle();
    const Uuid one = pockets[1].id;
    const QPointF name { 1440 - EditChrome::rowTrailingInset - 100, yOf(1) };
    chrome->press(name);
    chrome->release(name);
    ASSERT_TRUE(chrome->editsName());
    EXPECT_FALSE(chrome->caretRect().isEmpty());
    EXPECT_TRUE(chrome->type({ KeyEvent { keyCode::a, modifier::control, "a" }, "\x01" }));
    EXPECT_TRUE(chrome->type({ std::nullopt, "W\u00F6" }));
    chrome->insertText("rk\nshop");
    chrome->compose("s", "");
    EXPECT_EQ(engine->pocket(one)->config.name, "W\u00F6rk shop") << "what an input method composes is not yet the name";
    chrome->compose("", "s");
    EXPECT_EQ(engine->pocket(one)->config.name, "W\u00F6rk shops");
    EXPECT_FALSE(chrome->type({ KeyEvent { keyCode::escape, 0, "" }, "\x1b" })) << "Escape is the program's, not the field's";
    EXPECT_TRUE(chrome->type({ KeyEvent { keyCode::returnKey, 0, "" }, "\r" }));
    EXPECT_FALSE(chrome->editsName());
    EXPECT_FALSE(chrome->type({ std::nullopt, "x" }));

    chrome->press(name);
    chrome->press({ 700, 450 });
    EXPECT_FALSE(chrome->editsName()) << "a press away from the name lets it go";
}

TEST_F(EditChromeTest, ANameBeingTypedLetsGoWhenArrangingEnds)
{
    engine->setArranging(true);
    settle();
    const QPointF name { 1440 - EditChrome::rowTrailingInset - 100, yOf(1) };
    chrome->press(name);
    chrome->release(name);
    ASSERT_TRUE(chrome->editsName());
    engine->setArranging(false);
    settle();
    EXPECT_FALSE(chrome->editsName());
    EXPECT_TRUE(chrome->caretRect().isEmpty());
}

// The chrome over a real picture of the desktop, painted whole and painted in bands.
TEST_F(EditChromeTest, AClippedRepaintMatchesAWholeOne)
{
    const QImage desktop = drawn(1440, 900, [](QPainter& painter) {
        for (int x = 0; x < 1440; x += 60)
            painter.fillRect(x, 0, 30, 900, QColor::fromHsv(x % 360, 200, 240));
    });
    engine->setArranging(true);
    run(1.5);
    chrome->update(std::nullopt, desktop, QPoint());
    const auto paint = [&](QImage& image, const QRect& area) {
        QPainter painter(&image);
        painter.setClipRect(area);
        chrome->paintBackdrop(painter);
        chrome->paint(painter, area);
    };
    QImage whole = blank();
    paint(whole, whole.rect());
    QImage banded = blank();
    for (int y = 0; y < 900; y += 97)
        paint(banded, QRect(0, y, 1440, 97));
    int worst = 0;
    for (int y = 0; y < 900; ++y) {
        for (int x = 0; x < 1440; ++x) {
            const QRgb a = whole.pixel(x, y), b = banded.pixel(x, y);
            worst = std::max({ worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qAlpha(a) - qAlpha(b)) });
        }
    }
    EXPECT_LE(worst, 4);
    EXPECT_NE(whole.pixel(700, 450), desktop.pixel(700, 450)) << "the desktop shows dimmed and blurred";
}

TEST_F(EditChromeTest, ReplayLeavesEditModeThenStartsTheIntroductionAgain)
{
    PreferencesPanel panel({ *engine, prefs, defaults, introduction });
    defaults.setBool(Onboarding::seenKey, true);
    panel.perform({ PrefRow::intro });
    EXPECT_FALSE(engine->state().isEditing);
    EXPECT_FALSE(introduction.isRunning()) << "not before edit mode has gone";
    QEventLoop loop;
    QTimer::singleShot(PreferencesPanel::replayDelay + 100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(introduction.isRunning());
}

TEST(PreferencesPanelLook, RowsComeInFadedBlurredAndSmaller)
{
    const auto quitRow = PreferencesPanel::rowLook(0.3);
    EXPECT_NEAR(quitRow.opacity, 0.57, 0.005);
    EXPECT_NEAR(quitRow.blur, 12.6, 1e-9);
    EXPECT_NEAR(quitRow.scale, 0.9902, 1e-9);
    EXPECT_EQ(std::pair(PreferencesPanel::rowLook(1).opacity, PreferencesPanel::rowLook(1).blur), std::pair(1.0, 0.0));
}

} // namespace
