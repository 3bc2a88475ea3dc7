#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr double edge = 1440;

class Pointer : public EngineFixture {
protected:
    // Enters edit mode and steps until its progress has passed the given value.
    void editUntil(double progress)
    {
        engine->setEditing(true);
        while (engine->state().editProgress.value <= progress)
            engine->step(frame);
    }
};

class EditMode : public EngineFixture {
protected:
    Dropzone first;

    void SetUp() override { first = startWith({ { 270, 2 }, { 630, 0 } })[0]; }
};
} // namespace

TEST_F(Pointer, HitTestingKeepsToTheBandThePlusTheToggleAndTheNearestPocket)
{
    const auto pockets = startWith({ { 170, 0 }, { 400, 0 }, { 500, 0 }, { 836, 0 } });
    using Hit = std::optional<HitTarget>;
    const auto pocket = [&](std::size_t i) { return Hit(HitTarget::pocket(pockets[i].id)); };
    const auto expectHits = [&](const std::vector<std::tuple<double, double, Hit>>& cases) {
        for (const auto& [x, y, hit] : cases)
            EXPECT_EQ(engine->hitTest({ x, y }), hit) << x << " " << y;
    };
    // Midway between two pockets the earlier one wins; outside edit mode no toggle keeps its place.
    expectHits({ { edge - 57, 170, {} }, { edge - 56, 170, pocket(0) }, { edge, 116, pocket(0) }, { edge, 115, {} },
        { edge, 450, pocket(1) }, { 1400, 830, pocket(3) } });

    // The plus comes first once edit mode is well under way; the toggle's square and a
    // margin around it are left to the toggle.
    editUntil(0.3);
    expectHits({ { edge, 116, pocket(0) } });
    editUntil(0.999);
    expectHits({ { edge, 100, HitTarget::plus() }, { edge, 116, HitTarget::plus() }, { edge, 120, pocket(0) }, { 1414, 830, {} },
        { 1415, 830, pocket(3) } });
    EXPECT_EQ(engine->controlsFrame(), (Rect { edge - 88, 900 - 24 - 54, 54, 54 }));
    engine->updateBottomInset(40);
    EXPECT_EQ(engine->controlsFrame()->y, 900 - 58 - 54);

    // A dying pocket is never hit; its neighbour is, if within reach.
    engine->removeZone(pockets[1].id);
    expectHits({ { edge, 450, pocket(2) } });
}

TEST_F(Pointer, AShortStillPressIsAClickAndALongOrMovingOneADrag)
{
    startWith({ { 400, 0 }, { 600, 0 } });
    // Points moved, seconds held, and whether the press was a drag (which ticks when let go).
    const std::tuple<double, double, bool> presses[] = { { 4, 0.5, true }, { 0, 0.25, false }, { 4, 0.375, false }, { 5, 0.125, true } };
    for (const auto& [moved, held, drag] : presses) {
        haptics.played.clear();
        grabPocket({ edge, 600 });
        engine->updatePointer(Point { edge, 600 + moved });
        clock.advance(held);
        EXPECT_EQ(writesDuring([&] { engine->mouseUp({ edge, 600 + moved }); }), 1);
        EXPECT_FALSE(engine->state().dragSession);
        EXPECT_EQ(haptics.played, std::vector<HapticPattern>(drag ? 2 : 1, HapticPattern::levelChange)) << moved << " " << held;
    }

    // Dragged to 30 points below the other pocket and let go, it settles a slot away.
    engine->mouseDown({ edge, 600 });
    for (double y = 600; y >= 430; y -= 10) {
        engine->updatePointer(Point { edge, y });
        run(frame);
    }
    EXPECT_EQ(engine->state().blobs[1].targetY, 430);
    engine->mouseUp({ edge, 430 });
    // The nearest free place in steps of 4: 506 is the first at least 103.5 below 400.
    EXPECT_EQ(std::tuple(engine->state().blobs[1].targetY, storedPockets()[1].anchor), std::tuple(506, 506.0 / 900));

    // Outside arrangement a pocket that is not being named cannot be grabbed.
    engine->setArranging(false);
    engine->mouseDown({ edge, 506 });
    EXPECT_FALSE(engine->state().dragSession);
}

TEST_F(Pointer, CalmClicksReachTheEdgeOnlyOverPocketsWithItemsAndOpenCloseOrAddThere)
{
    const auto pockets = startWith({ { 300, 0 }, { 600, 1 } });
    // Where the pointer is, whether the introduction runs, and whether clicks are wanted.
    const std::tuple<std::optional<Point>, bool, bool> cases[] = { { Point { edge - 10, 300 }, false, false },
        { Point { edge - 10, 600 }, false, true }, { Point { 500, 600 }, false, false }, { std::nullopt, true, true },
        { std::nullopt, false, false } };
    for (const auto& [pointer, introducing, wanted] : cases) {
        engine->updatePointer(pointer);
        introduction.running = introducing;
        EXPECT_EQ(engine->wantsMouseEvents(), wanted);
    }
    engine->mouseDown({ edge - 10, 300 });
    EXPECT_FALSE(engine->state().pullCountZone) << "an empty pocket starts no pull";

    engine->mouseUp({ edge, 600 });
    EXPECT_EQ(std::tuple(engine->state().openZone, engine->state().wantsOpen), std::tuple(pockets[1].id, true));
    engine->mouseUp({ 200, 600 });
    EXPECT_FALSE(engine->state().wantsOpen);
    editUntil(0.999);
    engine->mouseUp({ edge, 62 });
    EXPECT_EQ(std::tuple(engine->state().blobs.size(), engine->state().soloEditing.has_value()), std::tuple(3u, true));
    engine->mouseUp({ 200, 500 });
    EXPECT_FALSE(engine->state().soloEditing) << "a click elsewhere ends the naming";

    // During a system drag only the strip along the edge takes events.
    engine->beginSystemDrag();
    engine->updatePointer(Point { edge - 100, 50 });
    EXPECT_TRUE(engine->wantsMouseEvents());
    engine->updatePointer(Point { edge - 130, 600 });
    EXPECT_FALSE(engine->wantsMouseEvents());
}

TEST_F(EditMode, EveryWayOutOfEditingSavesThePocketsExactlyOnceAndOnlyWhatIsEditedIsEditable)
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
    engine->mouseUp({ 1440, 270 });
    EXPECT_FALSE(engine->state().wantsOpen) << "a click on a pocket being arranged does not open it";
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
