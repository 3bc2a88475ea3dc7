#include "EngineOnDisk.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketIndexCodec.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr double frame = 1.0 / 120;
constexpr double edge = 1440;

// Drives the engine as the desktop's frame loop does: a tick every 1/120 s on the fake
// clock, with posted results delivered between ticks.
class Session : public ::testing::Test {
protected:
    TemporaryFolder folder;
    std::unique_ptr<EngineOnDisk> app = std::make_unique<EngineOnDisk>(folder);
    BezelEngine& engine = app->engine;

    void tick(std::optional<Point> pointer)
    {
        app->clock.advance(frame);
        engine.updatePointer(pointer);
        engine.step(frame);
        app->main.runPending();
    }

    void hold(double seconds, std::optional<Point> pointer)
    {
        for (double t = 0; t < seconds; t += frame)
            tick(pointer);
    }

    // Lets background work come back until done() holds (or ten seconds pass).
    template <typename Done> void waitFor(Done done)
    {
        for (int i = 0; i < 500 && !done(); ++i)
            app->main.runPendingWaiting(std::chrono::milliseconds(20));
    }

    void click(Point at)
    {
        tick(at);
        engine.mouseDown(at);
        tick(at);
        engine.mouseUp(at);
        tick(at);
    }

    std::filesystem::path makeFile(const std::string& name)
    {
        const auto path = folder / name;
        writeFile(path, "contents of " + name);
        return path;
    }
};
} // namespace

TEST_F(Session, DropOpenClearUndoAndEditAsAUserWould)
{
    const Uuid pocket = engine.state().blobs.at(0).config.id;
    hold(0.5, std::nullopt);
    const double pocketY = engine.state().blobs[0].y.value;

    // A file manager starts a drag; it sweeps toward the edge and comes over the window.
    MemoryPasteboard drag;
    for (const char* name : { "one.pdf", "two.png", "three.txt" })
        drag.addFile(makeFile(name));
    engine.beginSystemDrag();
    for (double x = 600; x < edge - 20; x += 40)
        tick(Point { x, pocketY + 30 });
    EXPECT_EQ(engine.state().dropTarget, pocket);
    engine.updateDragPayload({ edge - 20, pocketY + 30 });
    ASSERT_TRUE(engine.acceptDrop(drag));
    engine.endSystemDrag();
    EXPECT_FALSE(engine.state().dropTarget);
    EXPECT_EQ(engine.state().blobs[0].itemCount, 3);
    waitFor([&] {
        const auto& list = app->store.items.at(pocket);
        return std::all_of(list.begin(), list.end(), [](const PocketItem& item) { return item.payload.bookmark() != nullptr; });
    });
    hold(1, Point { 300, 300 });

    // A click on the pocket opens its drawer with the three files.
    click({ edge - 10, pocketY });
    waitFor([&] { return !engine.state().openItems.empty(); });
    hold(1, Point { edge - 100, pocketY });
    ASSERT_EQ(engine.state().openItems.size(), 3u);
    EXPECT_EQ(engine.state().openItems[0]->path, folder / "one.pdf");
    EXPECT_NEAR(engine.state().openProgress.value, 1, 0.01);

    // Over-scrolling past the end of the list clears the pocket.
    for (double v = 2; engine.state().wantsOpen && v < 400; v += 2) {
        engine.setPurgeOverscroll(v, pocket);
        tick(Point { edge - 100, pocketY });
    }
    hold(1, Point { 300, 300 });
    EXPECT_FALSE(engine.state().openZone);
    EXPECT_EQ(engine.state().blobs[0].itemCount, 0);
    ASSERT_EQ(engine.state().liftedItems.at(pocket).size(), 3u);

    // Edit mode offers the put-back, which restores them.
    engine.setEditing(true);
    hold(1, Point { 300, 300 });
    engine.undoClear(pocket);
    EXPECT_EQ(engine.state().blobs[0].itemCount, 3);

    // The plus adds a pocket, which is named, then removed again; a second one stays.
    click({ edge - 10, 62 });
    ASSERT_EQ(engine.state().blobs.size(), 2u);
    const Uuid added = engine.state().blobs[1].config.id;
    engine.rename(added, "Receipts");
    engine.endSoloEditing();
    engine.removeZone(added);
    click({ edge - 10, 62 });
    hold(1, Point { 300, 300 });
    ASSERT_EQ(engine.state().blobs.size(), 2u);
    engine.rename(engine.state().blobs[1].config.id, "Later");
    click({ 300, 300 });
    engine.setEditing(false);
    hold(2, Point { 300, 300 });
    EXPECT_TRUE(engine.isQuiescent());

    // What is on disk is what the user sees.
    const std::vector<PocketItem> items = app->store.items.at(pocket);
    const std::vector<Dropzone> zones { engine.state().blobs[0].config, engine.state().blobs[1].config };
    app.reset();
    const auto index = decodePocketIndex(readFile(folder / "data/Kestrane/pockets.json"));
    ASSERT_TRUE(index.pockets);
    EXPECT_EQ(index.pockets->at(pocket), items);
    EXPECT_EQ(index.pockets->count(added), 0u);
    for (const PocketItem& item : items)
        EXPECT_TRUE(item.payload.bookmark());

    EngineOnDisk next(folder);
    ASSERT_EQ(next.engine.state().blobs.size(), 2u);
    EXPECT_EQ(next.engine.state().blobs[0].config, zones[0]);
    EXPECT_EQ(next.engine.state().blobs[1].config, zones[1]);
    EXPECT_EQ(next.engine.state().blobs[1].config.name, "Later");
    EXPECT_EQ(next.engine.state().blobs[0].itemCount, 3);
}
