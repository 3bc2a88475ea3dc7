#include "EndToEndTest.h"

#include <set>

namespace kestrane::e2e {
namespace {

using PullOutTest = EndToEndTest;

// The receiver reads the files only after the drop, as a file manager copies them.
TEST_F(PullOutTest, PulledItemsLeaveThePocketAndStayReadableForTheReceiver)
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
    pointer.glideTo(500, 400, 16);
    ASSERT_TRUE(hoverUntilTaken(*receiver, 500, 400)) << "the drag reaches the receiver";
    pointer.glideTo(505, 405, 3);
    pointer.release();

    std::vector<StoredItem> after;
    pollUntil([&] { return (after = home.items(desk.id)).size() <= 1; }, eventTimeout);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].id, before[0].id) << "the oldest item stays";

    std::set<std::string> received;
    while (const auto line = receiver->readLine(eventTimeout)) {
        if (!line->starts_with("DROP "))
            received.insert(*line);
        if (received.size() == 2)
            break;
    }
    EXPECT_EQ(received, (std::set<std::string> {
        "RECEIVED " + before[1].file.string() + ": Seeded item 2", "RECEIVED " + before[2].file.string() + ": Seeded item 3" }));
}

} // namespace
} // namespace kestrane::e2e
