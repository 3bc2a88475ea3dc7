#include "CompositorTest.h"
#include "engine/EditLayout.h"

#include <QColor>
#include <QStandardPaths>

#include <algorithm>

#include <string_view>

namespace kestrane::e2e {
namespace {

// The program's own Wayland surface, under each compositor that offers a layer shell, above
// a native window that fills the output and reports its clicks and keys. The pointer and
// the keys come from the compositor's side, as the user's.
class NativeEdgeTest : public CompositorTest {
protected:
    // The native window in "clicks" mode with these options, once it shows.
    void showWindow(const QStringList& options = {}) { window = nativePeer(QStringList { "clicks", "keys" } + options); }
    // The drag peer as a native window in this mode, once it shows.
    std::unique_ptr<ChildProcess> nativePeer(const QStringList& arguments) const
    {
        auto peer = std::make_unique<ChildProcess>(
            WaylandSession::asSessionUser(QStringList { WaylandSession::staged(KESTRANE_DRAG_PEER), "-platform", "wayland" } + arguments),
            session->environment());
        if (peer->readLine(startTimeout) != "READY")
            throw std::runtime_error("the native window did not show");
        return peer;
    }

    QStringList asUser(const QStringList& arguments) const
    {
        return WaylandSession::asSessionUser(QStringList { WaylandSession::staged(KESTRANE_PROGRAM) } + arguments);
    }

    // Starts the program on its own surface with these pockets, the first holding two items,
    // and answers the pockets' heights by their ids.
    std::map<std::string, int> launchWith(const std::vector<StoredPocket>& pockets, const QStringList& arguments = {})
    {
        home.writeSettings(pockets);
        WaylandSession::handOver(home.root());
        program = std::make_unique<ChildProcess>(asUser(QStringList { "--wayland", "--seed-pocket", "2", "--print-pockets" } + arguments),
            session->environment(home.environment({})));
        return pocketYs(readReport(*program));
    }
    // The same with one pocket, `desk`, answering its height.
    int launch(const QStringList& arguments = {}) { return launchWith({ desk }, arguments).at(desk.id); }

    // The window's next line, or none when it says nothing for a while.
    std::optional<std::string> windowSays() { return window->readLine(absenceWait); }
    // Moves the pointer onto the pocket until it swells under it: the compositor has then
    // given the pointer to the edge.
    bool hoverPocket(int pocketY)
    {
        session->input("move", 1000, pocketY);
        const int far = darkPoints(session->screenshot(), pocketY);
        int moves = 0;
        const bool swells = pollUntil(
            [&] {
                session->input("move", 1425 - moves++ % 2, pocketY);
                return darkPoints(session->screenshot(), pocketY) > far + 5;
            },
            eventTimeout);
        EXPECT_TRUE(swells) << "the pocket swells from " << far << " points";
        return swells;
    }
    bool clickReaches(int x, int y)
    {
        session->input("click", x, y);
        return window->readLine(eventTimeout) == QString("CLICK %1 %2").arg(x).arg(y).toStdString();
    }

    // How many points of the row, from x to the edge, are drawn dark over the white window.
    static int darkPoints(const QImage& screen, int y, int x = WaylandSession::width - 200)
    {
        int points = 0;
        for (; x < WaylandSession::width; ++x)
            points += QColor(screen.pixel(x, y)).value() < 128;
        return points;
    }
    // Whether the drawer, a dark panel left of the pocket, comes to be shown (or hidden) in time:
    // on a loaded machine a picture of KWin's screen alone can take a second.
    bool drawerComes(int pocketY, bool shown) const
    {
        constexpr milliseconds drawerTimeout { 15000 };
        return pollUntil(
            [&] {
                const QImage screen = session->screenshot();
                int dark = 0;
                for (int y = pocketY - 40; y <= pocketY + 40; y += 8)
                    dark += darkPoints(screen, y, 1240) - darkPoints(screen, y, 1320);
                return (dark > 440) == shown;
            },
            drawerTimeout);
    }

    IsolatedHome home;
    std::unique_ptr<ChildProcess> window;
    std::unique_ptr<ChildProcess> program;
};

INSTANTIATE_TEST_SUITE_P(
    Compositors, NativeEdgeTest, ::testing::Values("sway", "KWin"), [](const auto& compositor) { return std::string(compositor.param); });

TEST_P(NativeEdgeTest, ClicksInTheBandAwayFromAPocketReachTheWindowBelow)
{
    showWindow();
    const int pocketY = launch();
    EXPECT_TRUE(clickReaches(1400, pocketY - 200)) << "above the pocket";
    EXPECT_TRUE(clickReaches(1300, pocketY)) << "left of the pocket";
}

TEST_P(NativeEdgeTest, AnOpenDrawerTakesTheKeysAndGivesThemBackWhenItCloses)
{
    showWindow();
    const int pocketY = launch();
    session->key("Down");
    ASSERT_EQ(window->readLine(eventTimeout), "KEY Down") << "the window has the keyboard before the drawer opens";
    ASSERT_TRUE(hoverPocket(pocketY));
    session->input("click", 1425, pocketY);
    EXPECT_EQ(windowSays(), std::nullopt) << "the pocket keeps its click";
    ASSERT_TRUE(drawerComes(pocketY, true)) << "the click opens the drawer";
    session->key("Down");
    EXPECT_EQ(windowSays(), std::nullopt) << "the drawer takes Down";
    session->key("Escape");
    EXPECT_TRUE(drawerComes(pocketY, false)) << "Escape closes the drawer";
    EXPECT_EQ(windowSays(), std::nullopt) << "the drawer takes Escape";
    session->type("h");
    EXPECT_EQ(window->readLine(eventTimeout), "KEY H") << "keys reach the window again";
}

// At rest the surface sees the pointer only inside the pocket's box.
TEST_P(NativeEdgeTest, APocketSwellsAsThePointerComesNear)
{
    showWindow();
    const int pocketY = launch();
    EXPECT_TRUE(hoverPocket(pocketY));
}

TEST_P(NativeEdgeTest, APocketShowsAboveAFullScreenWindowAndTheRestOfTheBandLetsClicksThrough)
{
    showWindow({ "fullscreen" });
    const int pocketY = launch();
    EXPECT_TRUE(pollUntil([&] { return QColor(session->screenshot().pixel(WaylandSession::width - 2, pocketY)).value() < 80; }, eventTimeout))
        << "the pocket is drawn above the window";
    EXPECT_TRUE(clickReaches(1300, pocketY));
}

TEST_P(NativeEdgeTest, EditModeTakesTypingIntoAPocketsName)
{
    showWindow();
    const int pocketY = launch({ "--edit" });
    // Edit mode dims the window to about 180 of 255 as it opens, and then names take clicks.
    ASSERT_TRUE(pollUntil([&] { return QColor(session->screenshot().pixel(700, 450)).value() < 200; }, eventTimeout)) << "edit mode opens";
    // Names take clicks while the pockets are arranged; a name stands left of the count of its
    // pocket's items.
    const Point toggle = editLayout::editToggleCentre(WaylandSession::width, WaylandSession::height, 0);
    session->input("click", static_cast<int>(toggle.x), static_cast<int>(toggle.y));
    std::this_thread::sleep_for(milliseconds(600));
    session->input("click", 1330, pocketY);
    session->type("Hi");
    session->key("Return");
    EXPECT_EQ(windowSays(), std::nullopt) << "edit mode takes the keys";
    std::string listed;
    EXPECT_TRUE(pollUntil(
        [&] {
            ChildProcess list(asUser({ "--list" }), session->environment(home.environment({})));
            listed = runToEnd(list).output;
            return listed.substr(0, listed.find('\t')).find("Hi") != std::string::npos;
        },
        eventTimeout))
        << listed;
}

// Dragged from a native window, a file is stored in the pocket holding items, and a text in
// an empty pocket, which takes a drag only at the screen's last points.
TEST_P(NativeEdgeTest, AFileAndATextDraggedFromANativeWindowAreStoredInPockets)
{
    const std::filesystem::path file = home.root() / "dragged in.txt";
    testing::writeFile(file, "from a native window");
    const StoredPocket inbox { "0B1C2D3E-4F50-4617-8293-A4B5C6D7E8F9", "Inbox", 0.2 };
    const auto ys = launchWith({ desk, inbox });
    const auto dragOnto = [&](int x, int y, const QStringList& peer) {
        const auto source = nativePeer(peer);
        session->drag({ 400, 450 }, { x, y });
        EXPECT_EQ(source->readLine(eventTimeout), "DRAGGED copy") << peer.first().toStdString();
    };
    dragOnto(1436, ys.at(desk.id), { "source", "0", "0", QString::fromStdString(file.string()) });
    dragOnto(WaylandSession::width - 1, ys.at(inbox.id), { "text", "0", "0", "words dragged in" });
    std::vector<StoredItem> items;
    EXPECT_TRUE(pollUntil([&] { return (items = home.items(desk.id)).size() == 3; }, eventTimeout)) << items.size() << " items";
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const StoredItem& item) { return item.name == "dragged in.txt"; }));
    EXPECT_TRUE(pollUntil([&] { return (items = home.items(inbox.id)).size() == 1; }, eventTimeout));
    EXPECT_EQ(items.empty() ? "" : testing::readFile(items[0].file), "words dragged in");
}

// A source that writes too much or too late has its drop refused and stored nowhere; a list
// of garbage addresses is kept as the text it is, and refers to no file; the edge takes the
// next drop at once. (KWin leaves a refused source waiting.)
TEST_P(NativeEdgeTest, HostileDragsAreRefusedOrKeptAsTextWithoutStallingTheEdge)
{
    const int pocketY = launch();
    std::vector<StoredItem> items;
    // Each source is kept until its drop is over; `stored` counts the items taken so far.
    const auto dropFrom = [&](const QStringList& peer, std::size_t stored) {
        const auto source = nativePeer(peer);
        session->drag({ 400, 450 }, { 1436, pocketY });
        // A refusal shows only as nothing stored once the source was given up on (3 s).
        if (peer.first() == "hostile" && stored == 0)
            std::this_thread::sleep_for(milliseconds(3500));
        EXPECT_TRUE(pollUntil([&] { return (items = home.items(desk.id)).size() == 2 + stored; }, eventTimeout))
            << peer.last().toStdString() << ": " << items.size() << " items";
    };
    dropFrom({ "hostile", "0", "0", "flood" }, 0);
    dropFrom({ "hostile", "0", "0", "stall" }, 0);
    dropFrom({ "hostile", "0", "0", "bogus" }, 1);
    dropFrom({ "text", "0", "0", "after" }, 2);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(testing::readFile(items[2].file).starts_with("not an address")) << items[2].name;
    EXPECT_EQ(testing::readFile(items[3].file), "after");
}

// A drawer's row dragged onto a native window arrives there whole, under the item's name, and
// stays in its pocket; an item pulled out of the pocket leaves it and stays readable there.
TEST_P(NativeEdgeTest, ItemsDraggedOutArriveWholeInANativeWindowUnderTheirNames)
{
    const auto receiver = nativePeer({ "receiver", "0", "0", "400", "400" });
    const int pocketY = launch();
    ASSERT_TRUE(hoverPocket(pocketY));
    session->input("click", 1425, pocketY);
    ASSERT_TRUE(drawerComes(pocketY, true));
    session->drag({ 1300, pocketY - 12 }, { 500, 400 });
    std::optional<std::string> line, dropped;
    while ((line = receiver->readLine(eventTimeout)) && !line->starts_with("RECEIVED "))
        if (line->starts_with("TEXT "))
            dropped = line;
    ASSERT_TRUE(line) << "the receiver reads the dropped file";
    ASSERT_TRUE(dropped) << "a receiver that takes text gets the item's text too";
    const std::string name = dropped->substr(5);
    EXPECT_TRUE(line->starts_with("RECEIVED " + (home.root() / "runtime/kestrane-handout/").string())) << *line;
    EXPECT_TRUE(line->ends_with("/" + name + ".txt: " + name)) << *line;
    EXPECT_EQ(home.items(desk.id).size(), 2u) << "a row dragged out stays in its pocket";

    session->key("Escape");
    ASSERT_TRUE(drawerComes(pocketY, false));
    session->drag({ 1425, pocketY }, { 500, 400 });
    while ((line = receiver->readLine(eventTimeout)) && !line->starts_with("RECEIVED "))
        ;
    EXPECT_TRUE(line && line->ends_with("/Seeded item 2.txt: Seeded item 2")) << line.value_or("nothing received");
    EXPECT_EQ(home.items(desk.id).size(), 1u) << "the newest item was pulled out";
}

// What another program copied (wl-copy) is pasted into the open drawer.
TEST_P(NativeEdgeTest, ControlVPastesWhatAnotherProgramCopiedIntoTheOpenDrawer)
{
    if (QStandardPaths::findExecutable("wl-copy").isEmpty())
        KESTRANE_CANNOT_RUN("wl-copy is not installed (apt-get install wl-clipboard)");
    showWindow();
    const int pocketY = launch();
    ChildProcess copy(WaylandSession::asSessionUser({ "wl-copy", "words copied elsewhere" }), session->environment());
    ASSERT_EQ(copy.waitForExit(eventTimeout), 0);
    ASSERT_TRUE(hoverPocket(pocketY));
    session->input("click", 1425, pocketY);
    ASSERT_TRUE(drawerComes(pocketY, true));
    session->controlKey("v");
    EXPECT_TRUE(pollUntil([&] { return home.items(desk.id).size() == 3; }, eventTimeout)) << "a third item";
    EXPECT_EQ(windowSays(), std::nullopt) << "the drawer takes the keys";
}

// Under sway, with a second output right of the first: the pockets go to the edge of the
// output the pointer comes to.
using TwoOutputsTest = NativeEdgeTest;
INSTANTIATE_TEST_SUITE_P(
    Compositors, TwoOutputsTest, ::testing::Values("sway"), [](const auto& compositor) { return std::string(compositor.param); });

TEST_P(TwoOutputsTest, ThePocketsFollowThePointerToTheEdgeOfAnotherOutput)
{
    const auto& sway = dynamic_cast<const SwaySession&>(*session);
    sway.addOutput();
    const int pocketY = launch();
    const auto pocketOn = [&](const char* output) {
        return QColor(sway.screenshotOf(output).pixel(WaylandSession::width - 2, pocketY)).value() < 80;
    };
    ASSERT_TRUE(pollUntil([&] { return pocketOn("HEADLESS-1"); }, eventTimeout)) << "the pockets start on the first output";
    EXPECT_FALSE(pocketOn("HEADLESS-2"));
    const QSize layout(2 * WaylandSession::width, WaylandSession::height);
    session->input("move", 2 * WaylandSession::width - 1, pocketY - 200, layout);
    EXPECT_TRUE(pollUntil([&] { return pocketOn("HEADLESS-2") && !pocketOn("HEADLESS-1"); }, eventTimeout))
        << "the pointer on the second output's edge takes them there";
}

} // namespace
} // namespace kestrane::e2e
