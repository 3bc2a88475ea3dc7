#include "EndToEndTest.h"

#include <set>

namespace kestrane::e2e {
namespace {

using PullOutTest = EndToEndTest;

TEST_F(PullOutTest, PullingTwoItemsOutDeliversTheNewestAndTakesThemFromThePocket)
{
    auto target = launchPeer({ "target", "300", "200", "400", "400" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "3" });
    const std::vector<StoredItem> before = home.items(desk.id);
    ASSERT_EQ(before.size(), 3u);

    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the overlay takes the pointer over the pocket";
    pointer.press();
    // 26 points down takes a second item, then a pull to the left starts the drag.
    pointer.glideTo(edgeX, pocketY + 30, 3);
    pointer.glideTo(edgeX - 20, pocketY + 30, 3);
    pointer.glideTo(500, 400, 16);
    ASSERT_TRUE(hoverUntilTaken(*target, 500, 400)) << "the drag reaches the target";
    pointer.glideTo(505, 405, 3);
    pointer.release();

    std::set<std::filesystem::path> delivered;
    while (delivered.size() < 2) {
        const auto line = target->readLine(eventTimeout);
        if (!line)
            break;
        if (line->starts_with("DROP "))
            delivered.insert(line->substr(5));
    }
    EXPECT_EQ(delivered, (std::set<std::filesystem::path> { before[1].file, before[2].file }));

    std::vector<StoredItem> after;
    pollUntil([&] { return (after = home.items(desk.id)).size() <= 1; }, eventTimeout);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].id, before[0].id) << "the oldest item stays";
}

} // namespace
} // namespace kestrane::e2e
