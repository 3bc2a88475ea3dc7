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

// The receiver reads the files only after the drop, as a file manager copies them.
TEST_F(PointerTest, PulledItemsLeaveThePocketAndStayReadableForTheReceiver)
{
    auto receiver = launchPeer({ "receiver", "300", "200", "400", "400" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "3" });
    const std::vector<StoredItem> before = home.items(desk.id);
    ASSERT_EQ(before.size(), 3u);

    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the overlay takes the pointer over the pocket";
    pointer.press();
    // The pocket counts from where it took the press: once it has, it swells and shows its count.
    ASSERT_TRUE(pollUntil(
        [&] {
            const QImage shot = display.screenshot();
            return qGray(shot.pixel(XvfbDisplay::width - 44, pocketY)) < 30
                && countPixels(shot, QRect(XvfbDisplay::width - 38, pocketY - 6, 22, 12), [](QRgb p) { return qGray(p) > 80; }) >= 10;
        },
        eventTimeout))
        << "the pocket shows its count";
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
