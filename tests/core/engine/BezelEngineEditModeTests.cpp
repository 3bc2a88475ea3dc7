#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class EditMode : public EngineFixture {
protected:
    Dropzone first = zone("A", 0.3), second = zone("B", 0.7);

    void SetUp() override
    {
        storeZones({ first, second });
        putItems(first.id, 2);
        makeEngine();
        engine->step(frame);
    }
};
} // namespace

TEST_F(EditMode, EveryWayOutOfEditingSavesTheZonesExactlyOnce)
{
    engine->setEditing(true);
    engine->step(frame);
    engine->setEditing(true);
    EXPECT_FALSE(engine->state().needsStep) << "a second entry changes nothing";

    grabPocket({ 1440, 270 });
    ASSERT_TRUE(engine->state().dragSession);
    int writes = defaults.writeCount();
    engine->setEditing(false);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
    EXPECT_FALSE(engine->state().isArranging);
    EXPECT_FALSE(engine->state().dragSession);

    engine->setEditing(true);
    engine->setArranging(true);
    writes = defaults.writeCount();
    engine->setArranging(false);
    EXPECT_EQ(defaults.writeCount(), writes + 1);

    engine->addZone();
    ASSERT_TRUE(engine->state().soloEditing);
    writes = defaults.writeCount();
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->state().soloEditing);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
    engine->endSoloEditing();
    EXPECT_EQ(defaults.writeCount(), writes + 1);
}

TEST_F(EditMode, OnlyArrangementOrTheSoloPocketIsEditable)
{
    engine->setEditing(true);
    EXPECT_FALSE(engine->isEditable(first.id));
    engine->addZone();
    const Uuid added = engine->state().blobs.back().config.id;
    EXPECT_TRUE(engine->isEditable(added));
    EXPECT_FALSE(engine->isEditable(first.id));
    engine->setArranging(true);
    EXPECT_FALSE(engine->state().soloEditing);
    EXPECT_TRUE(engine->isEditable(first.id));
    EXPECT_TRUE(engine->isEditable(added));
}

TEST_F(EditMode, ArrangingAndPreferencesShutTheDrawerAndEachOther)
{
    engine->openDrawer(first.id);
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->state().wantsOpen);
    EXPECT_EQ(preferences.loginStateRefreshes, 1);

    engine->setArranging(true);
    EXPECT_FALSE(engine->state().isShowingPreferences);
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->state().isArranging);

    // Hiding the panel stops a shortcut recording and forgets the hovered rows.
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->setPrefHovering(PrefRow::haptics, true);
    engine->setShowingPreferences(false);
    EXPECT_FALSE(preferences.isSwitchOn(PrefRow::shortcut));
    EXPECT_FALSE(engine->state().prefsHovering[2]);

    // Leaving edit mode hides the panel without going through it.
    engine->setShowingPreferences(true);
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->setPrefHovering(PrefRow::shortcut, true);
    engine->setEditing(false);
    EXPECT_FALSE(engine->state().isShowingPreferences);
    EXPECT_TRUE(engine->state().prefsHovering[1]);
    EXPECT_TRUE(preferences.isSwitchOn(PrefRow::shortcut));
}

TEST_F(EditMode, PanelRowsComeInOneAfterAnother)
{
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    bool row3SeenLate = false;
    for (int i = 0; i < 240; ++i) {
        run(frame);
        const double p = engine->state().prefsProgress.value;
        if (p <= 0.22) {
            EXPECT_NEAR(engine->state().prefsRows[3].value, 0, 1e-9) << p;
        }
        if (p > 0.3 && engine->state().prefsRows[0].value > engine->state().prefsRows[5].value)
            row3SeenLate = true;
    }
    EXPECT_TRUE(row3SeenLate);
    EXPECT_NEAR(engine->state().prefsRows[5].value, 1, 0.01);
    EXPECT_NEAR(engine->prefsPresence(), 1, 0.01);
}

TEST_F(EditMode, BlurHalosAppearWithEditModeAndThePanel)
{
    EXPECT_TRUE(engine->blurHalos().empty());
    engine->setEditing(true);
    run(3);
    std::vector<BlurHalo> halos = engine->blurHalos();
    ASSERT_EQ(halos.size(), 2u);
    EXPECT_EQ(halos[0], (BlurHalo { 0, { 76, 900 - 24 - 46, 614, 46 }, 1 }));
    EXPECT_EQ(halos[1], (BlurHalo { 1, { 1440 - 88, 900 - 24 - 54, 54, 54 }, 1 }));

    engine->setShowingPreferences(true);
    run(3);
    halos = engine->blurHalos();
    ASSERT_EQ(halos.size(), 3u);
    EXPECT_EQ(halos[2], (BlurHalo { 2, { 76, (900 - 364) / 2.0, 344, 364 }, 1 }));
}

TEST_F(EditMode, ThePlusRestsAt22AndSwellsTo32UnderThePointer)
{
    engine->setEditing(true);
    run(3);
    EXPECT_NEAR(engine->state().plusAmplitude.value, 22, 0.05);
    engine->updatePointer(Point { 1440, 62 });
    run(3);
    EXPECT_NEAR(engine->state().plusAmplitude.value, 32, 0.05);
}
