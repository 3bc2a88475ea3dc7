#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using DropTest = EndToEndTest;

TEST_F(DropTest, FilesDraggedOntoAPocketAreStoredInIt)
{
    const auto files = home.root() / "outside";
    std::filesystem::create_directory(files);
    testing::writeFile(files / "notes.txt", "the notes");
    testing::writeFile(files / "plan.pdf", "%PDF-1.4");
    const int pocketY = launchWithDesk({});
    auto source = launchPeer({ "source", "600", "400", QString::fromStdString(files / "notes.txt"), QString::fromStdString(files / "plan.pdf") });

    pointer.moveTo(660, 460);
    pointer.press();
    // The overlay learns of another program's drag when the drag selection changes while
    // a button is held, so it must see the press before the drag begins.
    std::this_thread::sleep_for(stillness);
    pointer.glideTo(700, 470, 4);
    pointer.glideTo(edgeX - 40, pocketY, 16);
    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the edge takes a drag that reaches it";
    pointer.glideTo(edgeX, pocketY + 2, 3);
    pointer.release();

    EXPECT_EQ(source->readLine(eventTimeout), "DRAGGED copy") << "the edge took the drop as a copy";
    std::vector<StoredItem> stored;
    pollUntil([&] { return (stored = home.items(desk.id)).size() >= 2; }, eventTimeout);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, "notes.txt");
    EXPECT_EQ(stored[1].name, "plan.pdf");
    EXPECT_TRUE(std::filesystem::exists(files / "notes.txt")) << "a dropped file stays where it was";
}

} // namespace
} // namespace kestrane::e2e
