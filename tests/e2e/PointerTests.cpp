#include "EndToEndTest.h"

#include <set>

namespace kestrane::e2e {
namespace {

using PointerTest = EndToEndTest;

TEST_F(PointerTest, ClicksReachTheWindowBelowExceptOnAPocketHoldingItems)
{
    // Shown first, so that the overlay lies above it.
    auto below = launchPeer({ "clicks" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });

    // Bare screen, the edge away from the pocket, and left of the pocket's band.
    for (const QPoint at : { QPoint(700, 450), QPoint(edgeX, pocketY + 150), QPoint(XvfbDisplay::width - 70, pocketY) }) {
        EXPECT_TRUE(clickReaches(*below, at, eventTimeout)) << at.x() << ", " << at.y();
    }

    ASSERT_TRUE(clickPocket(pocketY)) << "the overlay takes the pointer over the pocket";
    EXPECT_EQ(below->readLine(absenceWait), std::nullopt) << "the pocket keeps its click";
}

TEST_F(PointerTest, FilesAndImagesDraggedOntoAPocketAreStoredInIt)
{
    const auto notes = home.root() / "notes.txt", plan = home.root() / "plan.pdf";
    testing::writeFile(notes, "the notes");
    testing::writeFile(plan, "%PDF-1.4");
    const int pocketY = launchWithDesk({});
    const auto dragOntoDesk = [&](const QStringList& peerArguments, size_t itemsAfter) {
        auto source = dragOntoPocket(pocketY, peerArguments);
        pollUntil([&] { return home.items(desk.id).size() >= itemsAfter; }, eventTimeout);
    };
    dragOntoDesk({ "source", "600", "400", QString::fromStdString(notes), QString::fromStdString(plan) }, 2);
    // As a browser offers an image of a page: a data URL, which is no link; or its address
    // with its bytes, which are the picture.
    dragOntoDesk({ "image", "600", "400" }, 3);
    dragOntoDesk({ "webimage", "600", "400" }, 4);

    const std::vector<StoredItem> stored = home.items(desk.id);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3].name, "red dot.png");
    EXPECT_EQ(testing::readFile(stored[3].file).substr(1, 3), "PNG");
    EXPECT_EQ(stored[0].name, "notes.txt");
    EXPECT_EQ(stored[1].name, "plan.pdf");
    EXPECT_TRUE(std::filesystem::exists(notes)) << "a dropped file stays where it was";
    EXPECT_EQ(stored[2].file.extension(), ".png");
}

// The receiver reads the files only after the drop, as a file manager copies them.
TEST_F(PointerTest, PulledItemsLeaveThePocketAndStayReadableForTheReceiver)
{
    auto receiver = launchPeer({ "receiver", "300", "200", "400", "400" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "3" });
    const std::vector<StoredItem> before = home.items(desk.id);
    ASSERT_EQ(before.size(), 3u);

    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the overlay takes the pointer over the pocket";
    pointer.press();
    // 26 points down takes a second item, then a pull to the left starts the drag.
    pointer.glideTo(edgeX, pocketY + 30, 3);
    pointer.glideTo(edgeX - 20, pocketY + 30, 3);
    ASSERT_TRUE(dropOnto(*receiver, 500, 400)) << "the drag reaches the receiver";

    std::vector<StoredItem> after;
    pollUntil([&] { return (after = home.items(desk.id)).size() <= 1; }, eventTimeout);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].id, before[0].id) << "the oldest item stays";

    // Handed out under the items' names, readable after the payloads left the store.
    const std::string handedOut = "RECEIVED " + (home.root() / "runtime/kestrane-handout/").string();
    std::set<std::string> received;
    for (std::optional<std::string> line; received.size() < 2 && (line = receiver->readLine(eventTimeout));)
        if (line->starts_with("RECEIVED "))
            received.insert(line->starts_with(handedOut) ? std::filesystem::path(*line).filename().string() : *line);
    EXPECT_EQ(received, (std::set<std::string> { "Seeded item 2.txt: Seeded item 2", "Seeded item 3.txt: Seeded item 3" }));
}

} // namespace
} // namespace kestrane::e2e
