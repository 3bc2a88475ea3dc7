#include "EngineFixture.h"
#include "StderrOf.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
Bytes bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}
} // namespace

TEST(Dropzone, StoredFormRoundTripsWithExactKeysAndAnUnreadablePocketIsLeftOutAlone)
{
    Dropzone a { *Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e"), " Shelf / \"one\" ", 0.123456789012345678, "bin" };
    const Bytes data = encodePockets({ a, newPocket("Pocket 2", 0.9) });
    EXPECT_EQ(decodePockets(data).pockets.front(), a);
    EXPECT_EQ(nlohmann::json::parse(data.begin(), data.end())[0],
        nlohmann::json::parse(R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":" Shelf / \"one\" ",
                                                  "anchor":0.123456789012345678,"kind":"bin"})"));
    const std::string work = R"({"id":"1F8FAD5B-D9CB-469F-A165-70867728950E","name":"Work","anchor":0.5,"kind":"shelf"})";
    // The stored text, how many pockets are kept, and what the one problem line names.
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        { "[" + work + R"(,{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"Reading","anchor":"0.5","kind":"shelf"}])", 1,
            R"(pocket 2 "Reading": "anchor")" },
        { "[" + work + R"(,{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"y","anchor":0.5}])", 1, R"(pocket 2 "y": no "kind")" },
        { "[7," + work + "]", 1, "pocket 1: not an object" },
        { R"([{"id":"not-a-uuid","name":"x","anchor":0.5,"kind":"shelf"}])", 0, R"(pocket 1 "x": "id")" }, { R"("[]")", 0, "string" },
        { R"({"id":"x"})", 0, "object" }, { "[{\"id\":", 0, "JSON" }, { "[\"\xff\xfe\"]", 0, "UTF-8" }
    };
    for (const auto& [stored, kept, problem] : cases) {
        const DecodedPockets decoded = decodePockets(bytes(stored));
        EXPECT_EQ(decoded.pockets.size(), kept) << stored;
        EXPECT_THAT(decoded.problems, ::testing::ElementsAre(::testing::HasSubstr(problem))) << stored;
    }
    // A layout spoilt throughout is not one line per pocket.
    EXPECT_EQ(decodePockets(bytes("[1,2,3,4,5,6,7,8,9,10]")).problems.size(), 6u);
}

class Pockets : public EngineFixture {
protected:
    // Every pocket has its own place, at least a slot from any other.
    void expectSpreadApart()
    {
        run(2);
        const auto& blobs = engine->state().blobs;
        for (std::size_t i = 0; i < blobs.size(); ++i) {
            for (std::size_t j = i + 1; j < blobs.size(); ++j)
                EXPECT_GE(std::abs(blobs[i].y.value - blobs[j].y.value), 103.5 - 1e-9);
        }
    }
    long loggedLines(const std::function<void()>& action) { return std::ranges::count(stderrOf(action), '\n'); }
};

TEST_F(Pockets, EveryPocketHoldingItemsHasAPlaceOnTheEdge)
{
    const Dropzone kept = newPocket("Kept", 0.5);
    const Uuid lostA = Uuid::random(), lostB = Uuid::random();
    const std::pair<Uuid, int> held[] = { { kept.id, 1 }, { lostA, 2 }, { lostB, 3 } };
    for (const auto& [id, count] : held)
        putItems(id, count);
    // The stored layout, and how many lines the start reports.
    const std::vector<std::pair<std::optional<Bytes>, int>> cases = { { std::nullopt, 1 }, { bytes("garbage"), 3 }, { bytes("[]"), 1 },
        { encodePockets({ kept }), 1 } };
    for (const auto& [stored, lines] : cases) {
        defaults.remove(BezelEngine::pocketsKey);
        if (stored)
            defaults.setData(BezelEngine::pocketsKey, *stored);
        EXPECT_EQ(loggedLines([&] { makeEngine(); }), lines);
        for (const auto& [id, count] : held)
            EXPECT_EQ(engine->pocket(id) ? engine->pocket(id)->itemCount : -1, count);
        EXPECT_EQ(engine->pocket(kept.id) ? engine->pocket(kept.id)->amplitude : SpringValue {}, SpringValue::atRest(5.5));

        // Placed apart on the real screen, saved: the next start has nothing to mend.
        engine->setSize({ 1440, 700 });
        expectSpreadApart();
        EXPECT_EQ(loggedLines([&] { makeEngine(); }), 0);
    }
}

TEST_F(Pockets, WhatCouldNotBeReadIsKeptAsideOnceBeforeTheLayoutIsRewritten)
{
    const Dropzone work = newPocket("Work", 0.3), home = newPocket("Home", 0.6);
    const Bytes good = encodePockets({ work, home });
    const std::string partly = std::string(good.begin(), good.end() - 1)
        + R"(,{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"Reading","anchor":"0.5","kind":"shelf"}])";
    // Stored as bytes with one bad pocket, or as text (a value of another type): the pockets shown.
    const std::pair<bool, std::vector<std::string>> cases[] = { { true, { "Work", "Home" } }, { false, { "Pocket 1" } } };
    for (const auto& [asBytes, names] : cases) {
        asBytes ? defaults.setData(BezelEngine::pocketsKey, bytes(partly)) : defaults.setString(BezelEngine::pocketsKey, partly);
        const auto stored = std::pair(defaults.dataValue(BezelEngine::pocketsKey), defaults.stringValue(BezelEngine::pocketsKey));
        const int writes = defaults.writeCount();
        EXPECT_EQ(loggedLines([&] { makeEngine(); }), 1);
        EXPECT_EQ(defaults.writeCount(), writes);
        std::vector<std::string> shown;
        for (const BlobRuntime& pocket : engine->state().blobs)
            shown.push_back(pocket.config.name);
        EXPECT_EQ(shown, names);

        const std::string log = stderrOf([&] { engine->saveZones(); });
        const std::string aside = log.substr(log.find("kept as ") + 8, log.size() - log.find("kept as ") - 9);
        EXPECT_EQ(std::pair(defaults.dataValue(aside), defaults.stringValue(aside)), stored) << log;
        EXPECT_EQ(storedPockets().size(), names.size());
        EXPECT_EQ(loggedLines([&] { engine->saveZones(); }), 0);
    }
}

TEST_F(Pockets, PocketsBeyondWhatTheScreenHoldsHandTheirItemsToTheLastThatFits)
{
    // Nine pockets stacked on one spot, and one more holding items but not in the layout.
    std::vector<Dropzone> stacked;
    std::generate_n(std::back_inserter(stacked), 9, [] { return newPocket("P", 0.5); });
    stacked.push_back(stacked[0]);
    storePockets(stacked);
    const auto lastKept = putItems(stacked[6].id, 1);
    const auto beyond = putItems(stacked[8].id, 2);
    const auto unplaced = putItems(Uuid::random(), 1);
    makeEngine();
    EXPECT_EQ(loggedLines([&] { engine->setSize({ 1440, 900 }); }), 1);

    ASSERT_EQ(engine->state().blobs.size(), 7u);
    expectSpreadApart();
    EXPECT_EQ(store.items.at(stacked[6].id), (std::vector<PocketItem> { lastKept[0], beyond[0], beyond[1], unplaced[0] }));
    EXPECT_EQ(storedPockets().size(), 7u);
}

TEST_F(Pockets, FreeSlotSearchWalksAwayFromTakenPlaces)
{
    struct Case {
        double y;
        std::vector<double> taken;
        double height;
        std::optional<double> slot;
    };
    const Case cases[] = { { 166, { 166 }, 900, 270 }, { 500, {}, 900, 500 }, { 10, {}, 900, 166 }, { 2000, {}, 900, 836 },
        // Upward wins a tie.
        { 500, { 500 }, 900, 396 }, { 300, {}, 200, 166 }, { 300, { 166 }, 200, std::nullopt },
        { 166, { 166, 270, 374, 478, 582, 686, 790 }, 900, std::nullopt } };
    for (const Case& c : cases)
        EXPECT_EQ(BezelEngine::nearestFreeSlot(c.y, c.taken, c.height), c.slot) << c.y;
}

TEST_F(Pockets, AFirstRunPocketIsStoredOnceItHoldsItemsAndAddedOnesAreBornAtThePlus)
{
    // Nothing usable stored: one pocket, in memory only, and the stored value is left alone.
    defaults.setData(BezelEngine::pocketsKey, bytes(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"x","anchor":0.5}])"));
    const auto unusable = defaults.dataValue(BezelEngine::pocketsKey);
    makeEngine();
    ASSERT_EQ(engine->state().blobs.size(), 1u);
    const Uuid seeded = engine->state().blobs[0].config.id;
    engine->rename(seeded, "  New name ");
    engine->rename(Uuid::random(), "ignored");
    engine->refreshCounts();
    EXPECT_EQ(engine->state().blobs[0].config.name, "  New name ");
    EXPECT_EQ(defaults.dataValue(BezelEngine::pocketsKey), unusable);

    // The first items in it store the pockets, so the next launch knows the pocket.
    putItems(seeded, 2);
    engine->refreshCounts();
    makeEngine();
    EXPECT_EQ(std::tuple(engine->state().blobs[0].config, engine->state().blobs[0].itemCount),
        std::tuple(Dropzone { seeded, "  New name ", 0.34, "shelf" }, 2));
    EXPECT_EQ(writesDuring([&] {
        engine->refreshCounts();
        engine->rename(seeded, "Newer");
    }),
        0);
    engine->saveZones();
    EXPECT_EQ(storedPockets()[0].name, "Newer");

    // Added pockets are born at the plus until seven fill the screen; then the add recoils.
    engine->step(frame);
    engine->addZone();
    engine->removeZone(engine->state().blobs[1].config.id);
    engine->addZone();
    const BlobRuntime& added = engine->state().blobs.back();
    EXPECT_EQ(added.config.name, "Pocket 3") << "numbered after the fading one";
    EXPECT_EQ(std::tuple(added.y, added.life), std::tuple(SpringValue::atRest(62), SpringValue::atRest(0)));
    EXPECT_EQ(std::tuple(engine->state().soloEditing, engine->state().newlyAdded), std::tuple(added.config.id, added.config.id));
    EXPECT_EQ(storedPockets().back().id, added.config.id);
    run(2);
    EXPECT_NEAR(engine->state().blobs.back().y.value, engine->state().blobs.back().config.anchor * 900, 1e-9);
    EXPECT_EQ(engine->state().blobs.back().life.value, 1);

    for (int i = 0; i < 5; ++i) {
        engine->addZone();
        run(0.1);
    }
    EXPECT_FALSE(engine->canAddZone());
    const double velocity = engine->state().plusAmplitude.velocity;
    EXPECT_EQ(writesDuring([&] { engine->addZone(); }), 0);
    EXPECT_EQ(std::tuple(engine->state().blobs.size(), engine->state().plusAmplitude.velocity), std::tuple(7u, velocity - 420));
}
