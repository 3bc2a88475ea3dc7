#include "EngineFixture.h"

#include <nlohmann/json.hpp>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
} // namespace

TEST(Dropzone, StoredFormRoundTripsWithExactKeysAndUpperCaseIds)
{
    Dropzone a { *Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e"), " Shelf / \"one\" ", 0.123456789012345678, "shelf" };
    Dropzone b = zone("Pocket 2", 0.9);
    const Bytes data = encodeZones({ a, b });
    EXPECT_EQ(decodeZones(data), (std::vector<Dropzone> { a, b }));

    const auto json = nlohmann::json::parse(data.begin(), data.end());
    ASSERT_TRUE(json.is_array());
    EXPECT_EQ(json[0].size(), 4u);
    EXPECT_EQ(json[0]["id"], "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(json[0]["name"], " Shelf / \"one\" ");
    EXPECT_EQ(json[0]["anchor"].get<double>(), 0.123456789012345678);
}

TEST(Dropzone, DecodingIsAllOrNothing)
{
    EXPECT_EQ(decodeZones(bytes(R"([{"anchor":0.5,"name":"x","kind":"bin","id":"0f8fad5b-d9cb-469f-a165-70867728950e"}])"))->front().kind, "bin");
    EXPECT_FALSE(decodeZones(bytes(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"x","anchor":0.5,"kind":"shelf"},
                                       {"id":"1F8FAD5B-D9CB-469F-A165-70867728950E","name":"y","anchor":0.5}])")));
    EXPECT_FALSE(decodeZones(bytes(R"([{"id":"not-a-uuid","name":"x","anchor":0.5,"kind":"shelf"}])")));
    EXPECT_FALSE(decodeZones(bytes(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"x","anchor":"0.5","kind":"shelf"}])")));
    EXPECT_FALSE(decodeZones(bytes(R"({"id":"x"})")));
    EXPECT_FALSE(decodeZones(bytes("[{\"id\":")));
    EXPECT_FALSE(decodeZones(bytes("\xff\xfe")));
}

class Zones : public EngineFixture {
protected:
    // Every pocket has its own place, at least a slot from any other.
    void expectSpreadApart()
    {
        run(2);
        for (std::size_t i = 0; i < engine->state().blobs.size(); ++i) {
            for (std::size_t j = i + 1; j < engine->state().blobs.size(); ++j)
                EXPECT_GE(std::abs(engine->state().blobs[i].y.value - engine->state().blobs[j].y.value), 103.5 - 1e-9);
        }
    }
};

TEST_F(Zones, FirstRunEmptyAndBrokenStoresSeedOnePocketWithoutWriting)
{
    makeEngine();
    EXPECT_FALSE(defaults.contains(BezelEngine::zonesKey));
    for (const Bytes& value : { bytes("[]"), bytes(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"x","anchor":0.5}])"), bytes("garbage") }) {
        defaults.setData(BezelEngine::zonesKey, value);
        makeEngine();
        ASSERT_EQ(engine->state().blobs.size(), 1u);
        EXPECT_EQ(engine->state().blobs[0].config, (Dropzone { engine->state().blobs[0].config.id, "Pocket 1", 0.34, "shelf" }));
        EXPECT_EQ(defaults.dataValue(BezelEngine::zonesKey), value);
    }
    engine->saveZones();
    EXPECT_EQ(storedZones(), std::vector<Dropzone> { engine->state().blobs[0].config });
}

TEST_F(Zones, EveryPocketHoldingItemsHasAPlaceOnTheEdge)
{
    const Dropzone kept = zone("Kept", 0.5);
    const Uuid lostA = Uuid::random(), lostB = Uuid::random();
    putItems(kept.id, 1);
    putItems(lostA, 2);
    putItems(lostB, 3);
    // The stored layout, and how many lines the start reports.
    const std::vector<std::pair<std::optional<Bytes>, int>> cases = { { std::nullopt, 1 }, { bytes("garbage"), 2 },
        { bytes("[]"), 1 }, { encodeZones({ kept }), 1 } };
    for (const auto& [stored, lines] : cases) {
        defaults.remove(BezelEngine::zonesKey);
        if (stored)
            defaults.setData(BezelEngine::zonesKey, *stored);
        ::testing::internal::CaptureStderr();
        makeEngine();
        EXPECT_EQ(std::ranges::count(::testing::internal::GetCapturedStderr(), '\n'), lines);
        for (const auto& [id, count] : { std::pair { kept.id, 1 }, { lostA, 2 }, { lostB, 3 } }) {
            ASSERT_TRUE(engine->blob(id));
            EXPECT_EQ(engine->blob(id)->itemCount, count);
        }
        EXPECT_EQ(engine->blob(kept.id)->amplitude, SpringValue::atRest(5.5));

        // Placed apart on the real screen, saved: the next start has nothing to mend.
        engine->setSize({ 1440, 700 });
        expectSpreadApart();
        ::testing::internal::CaptureStderr();
        makeEngine();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
}

TEST_F(Zones, PocketsBeyondWhatTheScreenHoldsHandTheirItemsToTheLastThatFits)
{
    // Nine pockets stacked on one spot, and one more holding items but not in the layout.
    std::vector<Dropzone> stacked;
    std::generate_n(std::back_inserter(stacked), 9, [] { return zone("P", 0.5); });
    stacked.push_back(stacked[0]);
    storeZones(stacked);
    const auto lastKept = putItems(stacked[6].id, 1);
    const auto beyond = putItems(stacked[8].id, 2);
    const auto unplaced = putItems(Uuid::random(), 1);
    makeEngine();
    ::testing::internal::CaptureStderr();
    engine->setSize({ 1440, 900 });
    EXPECT_EQ(std::ranges::count(::testing::internal::GetCapturedStderr(), '\n'), 1);

    ASSERT_EQ(engine->state().blobs.size(), 7u);
    expectSpreadApart();
    EXPECT_EQ(engine->state().blobs[6].itemCount, 4);
    EXPECT_EQ(store.items.at(stacked[6].id), (std::vector<PocketItem> { lastKept[0], beyond[0], beyond[1], unplaced[0] }));
    EXPECT_EQ(storedZones().size(), 7u);
}

TEST_F(Zones, FreeSlotSearchWalksAwayFromTakenPlaces)
{
    EXPECT_EQ(BezelEngine::nearestFreeSlot(166, { 166 }, 900), 270);
    EXPECT_EQ(BezelEngine::nearestFreeSlot(500, {}, 900), 500);
    EXPECT_EQ(BezelEngine::nearestFreeSlot(10, {}, 900), 166);
    EXPECT_EQ(BezelEngine::nearestFreeSlot(2000, {}, 900), 836);
    // Upward wins a tie: both 400 and 600 are 100 away from 500 and free of 500.
    EXPECT_EQ(BezelEngine::nearestFreeSlot(500, { 500 }, 900), 396);
    EXPECT_EQ(BezelEngine::nearestFreeSlot(300, {}, 200), 166);
    EXPECT_EQ(BezelEngine::nearestFreeSlot(300, { 166 }, 200), std::nullopt);
    // A full column has nowhere left.
    EXPECT_EQ(BezelEngine::nearestFreeSlot(166, { 166, 270, 374, 478, 582, 686, 790 }, 900), std::nullopt);
}

TEST_F(Zones, A900PointScreenHoldsSevenPocketsThenTheAddRecoils)
{
    makeEngine();
    engine->setSize({ 1440, 900 });
    engine->step(frame);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(engine->canAddZone());
        engine->addZone();
        run(0.1);
    }
    EXPECT_EQ(engine->state().blobs.size(), 7u);
    EXPECT_FALSE(engine->canAddZone());
    const int writes = defaults.writeCount();
    const double velocity = engine->state().plusAmplitude.velocity;
    engine->addZone();
    EXPECT_EQ(engine->state().blobs.size(), 7u);
    EXPECT_EQ(engine->state().plusAmplitude.velocity, velocity - 420);
    EXPECT_EQ(defaults.writeCount(), writes);

    expectSpreadApart();
}

TEST_F(Zones, AddedPocketIsBornAtThePlusNumberedAfterFadingOnesAndSaved)
{
    makeEngine();
    engine->step(frame);
    engine->addZone();
    engine->removeZone(engine->state().blobs[1].config.id);
    engine->addZone();
    const BlobRuntime& added = engine->state().blobs.back();
    EXPECT_EQ(added.config.name, "Pocket 3");
    EXPECT_EQ(added.y, SpringValue::atRest(62));
    EXPECT_EQ(added.life, SpringValue::atRest(0));
    EXPECT_EQ(engine->state().soloEditing, added.config.id);
    EXPECT_EQ(engine->state().newlyAdded, added.config.id);
    const auto stored = storedZones();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].id, added.config.id);

    // It glides down from the plus to its slot while growing in.
    run(2);
    EXPECT_NEAR(engine->state().blobs.back().y.value, engine->state().blobs.back().config.anchor * 900, 1e-9);
    EXPECT_EQ(engine->state().blobs.back().life.value, 1);
}

TEST_F(Zones, RemovalDeletesItemsOnceEndsTheDragAndFadesOut)
{
    Dropzone keep = zone("Keep", 0.3), gone = zone("Gone", 0.7);
    storeZones({ keep, gone });
    const std::vector<PocketItem> goneItems = putItems(gone.id, 3);
    putItems(keep.id, 1);
    makeEngine();
    engine->step(frame);
    grabPocket({ 1440, 630 });
    ASSERT_TRUE(engine->state().dragSession);

    engine->removeZone(gone.id);
    EXPECT_EQ(store.items.count(gone.id), 0u);
    store.waitForWrites();
    EXPECT_FALSE(std::filesystem::exists(store.payloadDirectory() / *goneItems[0].payload.managedFilename()));
    EXPECT_EQ(store.itemCount(keep.id), 1);
    EXPECT_FALSE(engine->state().dragSession);
    EXPECT_EQ(storedZones(), std::vector<Dropzone> { engine->state().blobs[0].config });

    const int writes = defaults.writeCount();
    engine->removeZone(gone.id);
    engine->removeZone(Uuid::random());
    EXPECT_EQ(defaults.writeCount(), writes);

    const double y = engine->state().blobs[1].y.value;
    for (int i = 0; i < 600 && engine->state().blobs.size() == 2; ++i) {
        engine->step(frame);
        if (engine->state().blobs.size() == 2) {
            EXPECT_EQ(engine->state().blobs[1].y.value, y);
        }
    }
    ASSERT_EQ(engine->state().blobs.size(), 1u);
    EXPECT_EQ(engine->state().blobs[0].config.id, keep.id);
}

TEST_F(Zones, RenameChangesMemoryOnlyUntilTheNextSave)
{
    storeZones({ zone("Old", 0.5) });
    makeEngine();
    const Uuid id = engine->state().blobs[0].config.id;
    const int writes = defaults.writeCount();
    engine->rename(id, "  New name ");
    engine->rename(Uuid::random(), "ignored");
    EXPECT_EQ(engine->state().blobs[0].config.name, "  New name ");
    EXPECT_EQ(defaults.writeCount(), writes);
    EXPECT_EQ(storedZones()[0].name, "Old");
    engine->saveZones();
    EXPECT_EQ(storedZones()[0].name, "  New name ");
}

TEST_F(Zones, FirstItemsInANeverSavedPocketStoreTheZones)
{
    makeEngine();
    const Uuid seeded = engine->state().blobs[0].config.id;
    engine->refreshCounts();
    EXPECT_FALSE(defaults.contains(BezelEngine::zonesKey));

    putItems(seeded, 2);
    engine->refreshCounts();
    EXPECT_EQ(engine->state().blobs[0].itemCount, 2);
    ASSERT_TRUE(defaults.contains(BezelEngine::zonesKey));

    // The next launch knows the pocket the items were put in.
    makeEngine();
    EXPECT_EQ(engine->state().blobs[0].config.id, seeded);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 2);
    const int writes = defaults.writeCount();
    engine->refreshCounts();
    EXPECT_EQ(defaults.writeCount(), writes);
}
