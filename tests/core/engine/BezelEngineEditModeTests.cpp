#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class EditMode : public EngineFixture {
protected:
    Dropzone first;

    void SetUp() override { first = startWith({ { 270, 2 }, { 630, 0 } })[0]; }
};
} // namespace

TEST_F(EditMode, EveryWayOutOfEditingSavesTheZonesExactlyOnceAndOnlyWhatIsEditedIsEditable)
{
    engine->setEditing(true);
    engine->step(frame);
    engine->setEditing(true);
    EXPECT_FALSE(engine->state().needsStep) << "a second entry changes nothing";

    grabPocket({ 1440, 270 });
    ASSERT_TRUE(engine->state().dragSession);
    EXPECT_EQ(writesDuring([&] { engine->setEditing(false); }), 1);
    EXPECT_EQ(std::tuple(engine->state().isArranging, engine->state().dragSession), std::tuple(false, std::nullopt));

    engine->setEditing(true);
    EXPECT_FALSE(engine->isEditable(first.id));
    engine->setArranging(true);
    EXPECT_TRUE(engine->isEditable(first.id));
    EXPECT_EQ(writesDuring([&] { engine->setArranging(false); }), 1);

    engine->addZone();
    ASSERT_TRUE(engine->state().soloEditing);
    EXPECT_TRUE(engine->isEditable(*engine->state().soloEditing) && !engine->isEditable(first.id));
    EXPECT_EQ(writesDuring([&] { engine->setShowingPreferences(true); }), 1);
    EXPECT_EQ(std::tuple(engine->state().soloEditing, writesDuring([&] { engine->endSoloEditing(); })), std::tuple(std::nullopt, 0));
}

TEST_F(EditMode, ArrangingAndPreferencesShutTheDrawerAndEachOther)
{
    engine->openDrawer(first.id);
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, preferences.loginStateRefreshes), std::tuple(false, 1));

    engine->setArranging(true);
    EXPECT_FALSE(engine->state().isShowingPreferences);
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->state().isArranging);

    // Hiding the panel stops a shortcut recording and forgets the hovered rows.
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->setPrefHovering(PrefRow::haptics, true);
    engine->setShowingPreferences(false);
    EXPECT_FALSE(preferences.isSwitchOn(PrefRow::shortcut) || engine->state().prefsHovering[2]);

    // Leaving edit mode hides the panel without going through it.
    engine->setShowingPreferences(true);
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->setPrefHovering(PrefRow::shortcut, true);
    engine->setEditing(false);
    EXPECT_TRUE(!engine->state().isShowingPreferences && engine->state().prefsHovering[1] && preferences.isSwitchOn(PrefRow::shortcut));
}

TEST_F(EditMode, BlurHalosComeWithEditModeAndThePanelWhoseRowsComeInOneAfterAnother)
{
    EXPECT_TRUE(engine->blurHalos().empty());
    engine->setEditing(true);
    run(3);
    EXPECT_EQ(engine->blurHalos(),
        (std::vector<BlurHalo> { { 0, { 76, 900 - 24 - 46, 614, 46 }, 1 }, { 1, { 1440 - 88, 900 - 24 - 54, 54, 54 }, 1 } }));
    engine->setShowingPreferences(true);
    bool row3SeenLate = false;
    for (int i = 0; i < 360; ++i) {
        run(frame);
        const double p = engine->state().prefsProgress.value;
        EXPECT_TRUE(p > 0.22 || std::abs(engine->state().prefsRows[3].value) < 1e-9) << p;
        row3SeenLate = row3SeenLate || (p > 0.3 && engine->state().prefsRows[0].value > engine->state().prefsRows[5].value);
    }
    EXPECT_TRUE(row3SeenLate);
    EXPECT_NEAR(engine->state().prefsRows[5].value + engine->prefsPresence(), 2, 0.01);
    ASSERT_EQ(engine->blurHalos().size(), 3u);
    EXPECT_EQ(engine->blurHalos()[2], (BlurHalo { 2, { 76, (900 - 364) / 2.0, 344, 364 }, 1 }));
}
