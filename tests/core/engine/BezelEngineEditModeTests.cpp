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
    engine->needsStep = false;
    engine->setEditing(true);
    EXPECT_FALSE(engine->needsStep) << "a second entry changes nothing";

    engine->setArranging(true);
    engine->dragSession = DragSession { first.id, 0, {}, 0, 0 };
    int writes = defaults.writeCount();
    engine->setEditing(false);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
    EXPECT_FALSE(engine->isArranging);
    EXPECT_FALSE(engine->dragSession);

    engine->setEditing(true);
    engine->setArranging(true);
    writes = defaults.writeCount();
    engine->setArranging(false);
    EXPECT_EQ(defaults.writeCount(), writes + 1);

    engine->addZone();
    ASSERT_TRUE(engine->soloEditing);
    writes = defaults.writeCount();
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->soloEditing);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
    engine->endSoloEditing();
    EXPECT_EQ(defaults.writeCount(), writes + 1);
}

TEST_F(EditMode, OnlyArrangementOrTheSoloPocketIsEditable)
{
    engine->setEditing(true);
    EXPECT_FALSE(engine->isEditable(first.id));
    engine->addZone();
    const Uuid added = engine->blobs.back().config.id;
    EXPECT_TRUE(engine->isEditable(added));
    EXPECT_FALSE(engine->isEditable(first.id));
    engine->setArranging(true);
    EXPECT_FALSE(engine->soloEditing);
    EXPECT_TRUE(engine->isEditable(first.id));
    EXPECT_TRUE(engine->isEditable(added));
}

TEST_F(EditMode, ArrangingAndPreferencesShutTheDrawerAndEachOther)
{
    engine->openDrawer(first.id);
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->wantsOpen);
    EXPECT_EQ(preferences.loginStateRefreshes, 1);

    engine->setArranging(true);
    EXPECT_FALSE(engine->isShowingPreferences);
    engine->setShowingPreferences(true);
    EXPECT_FALSE(engine->isArranging);

    // Hiding the panel stops a shortcut recording and forgets the hovered rows.
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->prefsHovering[2] = true;
    engine->setShowingPreferences(false);
    EXPECT_FALSE(preferences.isSwitchOn(PrefRow::shortcut));
    EXPECT_FALSE(engine->prefsHovering[2]);

    // Leaving edit mode hides the panel without going through it.
    engine->setShowingPreferences(true);
    preferences.switches[static_cast<int>(PrefRow::shortcut)] = true;
    engine->prefsHovering[1] = true;
    engine->setEditing(false);
    EXPECT_FALSE(engine->isShowingPreferences);
    EXPECT_TRUE(engine->prefsHovering[1]);
    EXPECT_TRUE(preferences.isSwitchOn(PrefRow::shortcut));
}

TEST_F(EditMode, PanelRowsComeInOneAfterAnother)
{
    engine->setEditing(true);
    engine->setShowingPreferences(true);
    bool row3SeenLate = false;
    for (int i = 0; i < 240; ++i) {
        run(frame);
        const double p = engine->prefsProgress.value;
        if (p <= 0.22) {
            EXPECT_NEAR(engine->prefsRows[3].value, 0, 1e-9) << p;
        }
        if (p > 0.3 && engine->prefsRows[0].value > engine->prefsRows[5].value)
            row3SeenLate = true;
    }
    EXPECT_TRUE(row3SeenLate);
    EXPECT_NEAR(engine->prefsRows[5].value, 1, 0.01);
    EXPECT_NEAR(engine->prefsPresence(), 1, 0.01);
}

TEST_F(EditMode, BlurHalosAppearWithEditModeAndThePanel)
{
    EXPECT_TRUE(engine->blurHalos().empty());
    engine->editProgress = SpringValue::atRest(0.001);
    EXPECT_TRUE(engine->blurHalos().empty());
    engine->editProgress = SpringValue::atRest(0.5);
    std::vector<BlurHalo> halos = engine->blurHalos();
    ASSERT_EQ(halos.size(), 2u);
    EXPECT_EQ(halos[0], (BlurHalo { 0, { 76, 900 - 24 - 46, 614, 46 }, 0.5 }));
    EXPECT_EQ(halos[1], (BlurHalo { 1, *engine->controlsFrame(), 0.5 }));

    engine->prefsProgress = SpringValue::atRest(0.002);
    EXPECT_EQ(engine->blurHalos().size(), 2u);
    engine->prefsRows[4] = SpringValue::atRest(0.5);
    halos = engine->blurHalos();
    ASSERT_EQ(halos.size(), 3u);
    EXPECT_EQ(halos[2], (BlurHalo { 2, { 76, (900 - 364) / 2.0, 344, 364 }, 0.25 }));
}

TEST_F(EditMode, ThePlusRestsAt22AndSwellsTo32UnderThePointer)
{
    engine->setEditing(true);
    run(3);
    EXPECT_NEAR(engine->plusAmplitude.value, 22, 0.05);
    engine->pointer = Point { 1440, 62 };
    run(3);
    EXPECT_NEAR(engine->plusAmplitude.value, 32, 0.05);
}
