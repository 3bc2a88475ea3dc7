#include "views/EditChrome.h"

#include "engine/EngineWithPreferences.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

using namespace kestrane;
using namespace kestrane::testing;

namespace {

// Three pockets holding 0, 1 and 2 items, in edit mode.
class EditChromeTest : public EngineWithPreferences {
protected:
    std::unique_ptr<EditChrome> chrome;
    std::vector<Dropzone> pockets { zone("Empty", 0.3), zone("One", 0.5), zone("Two", 0.7) };

    void SetUp() override
    {
        storeZones(pockets);
        putItems(pockets[1].id, 1);
        putItems(pockets[2].id, 2);
        makeEngine().setSize({ 1440, 900 });
        chrome = std::make_unique<EditChrome>(EditModeModel { *engine, prefs, defaults, onboarding });
        engine->setEditing(true);
        settle();
    }

    void settle()
    {
        run(1.5);
        chrome->update(std::nullopt, QImage(), QPoint());
    }

    double yOf(int pocket) const { return engine->blob(pockets[pocket].id)->y.value; }
    // The rows whose name takes a press.
    int visibleFields() const
    {
        int visible = 0;
        for (const auto& pocket : pockets) {
            const BlobRuntime* blob = engine->blob(pocket.id);
            visible += blob && chrome->hitAt({ 1440 - EditChrome::rowTrailingInset - 100, blob->y.value }) == EditChrome::Hit { EditChrome::Control::row, pocket.id };
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
    EXPECT_EQ(chrome->hitAt({ badgeX, yOf(1) }), EditChrome::Hit({ EditChrome::Control::row, pockets[1].id })) << "a press on the count stays in edit mode";
    EXPECT_EQ(visibleFields(), 3);

    const auto hitRemove = [&] { return chrome->hitAt({ removeX, yOf(0) }); };
    ASSERT_TRUE(hitRemove());
    EXPECT_NE(hitRemove()->control, EditChrome::Control::removePocket) << "not arranging";
    engine->setArranging(true);
    for (int frame = 0; frame < 200 && engine->blob(pockets[0].id)->arrange.value < 0.55; ++frame)
        run(1.0 / 120);
    chrome->update(std::nullopt, QImage(), QPoint());
    ASSERT_LT(engine->blob(pockets[0].id)->arrange.value, 0.6);
    EXPECT_NE(hitRemove()->control, EditChrome::Control::removePocket) << "arrange below 0.6";
    settle();
    EXPECT_EQ(hitRemove()->control, EditChrome::Control::removePocket);
    EXPECT_EQ(chrome->helpAt({ removeX, yOf(0) }), "Remove this pocket");

    chrome->press({ removeX, yOf(0) });
    EXPECT_TRUE(chrome->release({ removeX, yOf(0) }));
    settle();
    EXPECT_EQ(visibleFields(), 2) << "the removed pocket's row is gone";
}

TEST_F(EditChromeTest, ReplayLeavesEditModeThenStartsTheIntroductionAgain)
{
    PreferencesPanel panel({ *engine, prefs, defaults, onboarding });
    defaults.setBool(Onboarding::seenKey, true);
    panel.perform({ PrefRow::intro });
    EXPECT_FALSE(engine->state().isEditing);
    EXPECT_FALSE(onboarding.isRunning()) << "not before edit mode has gone";
    QEventLoop loop;
    QTimer::singleShot(PreferencesPanel::replayDelay + 100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(onboarding.isRunning());
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
