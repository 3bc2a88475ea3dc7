#include "EndToEndTest.h"

#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cstdlib>
#include <set>

namespace kestrane::e2e {
namespace {

using RealApplicationTest = EndToEndTest;

// Where drags end: inside the file manager's folder view, clear of its side pane.
constexpr int dropX = 900, dropY = 520;

// pcmanfm showing `folder`, with settings, cache and home of its own; its window is
// 1000 × 700, which the window manager centres on the empty screen.
std::unique_ptr<ChildProcess> launchFileManager(const IsolatedHome& home, const XvfbDisplay& display, const std::filesystem::path& folder)
{
    const auto own = home.root() / "pcmanfm";
    std::filesystem::create_directories(own / "config/pcmanfm/default");
    testing::writeFile(own / "config/pcmanfm/default/pcmanfm.conf", "[ui]\nwin_width=1000\nwin_height=700\nview_mode=list\n");
    QProcessEnvironment environment = home.environment(display.name());
    for (const auto& [variable, name] : { std::pair("XDG_CONFIG_HOME", "config"), { "XDG_CACHE_HOME", "cache" }, { "HOME", "" } })
        environment.insert(variable, QString::fromStdString((own / name).string()));
    return std::make_unique<ChildProcess>(
        QStringList { "pcmanfm", QString::fromStdString(folder.string()) }, environment, ChildProcess::Diagnostics::discarded);
}

// Another program's drag between ours: it takes the drag selection, as every drag does,
// and keeps it until a later drag takes it back.
class OtherDragSource {
public:
    explicit OtherDragSource(const XvfbDisplay& display)
        : connection_(xcb_connect(display.name().c_str(), nullptr), xcb_disconnect)
    {
        xcb_connection_t* c = connection_.get();
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "XdndSelection"), nullptr);
        selection_ = atom ? atom->atom : XCB_NONE;
        std::free(atom);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        window_ = xcb_generate_id(c);
        xcb_create_window(
            c, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
    }

    // True once the server made it the owner.
    bool takeDragSelection() const
    {
        xcb_connection_t* c = connection_.get();
        xcb_set_selection_owner(c, window_, selection_, XCB_CURRENT_TIME);
        auto* reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
        const bool owner = reply && reply->owner == window_;
        std::free(reply);
        return owner;
    }

private:
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection_;
    xcb_atom_t selection_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
};

// The folder's files as "<name>: <content>".
std::multiset<std::string> contents(const std::filesystem::path& folder)
{
    std::multiset<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        found.insert(entry.path().filename().string() + ": " + testing::readFile(entry.path()));
    return found;
}

// pcmanfm asks for the dragged files with a wall-clock time; every drag must still reach it,
// not only the first, also when another program dragged something in between.
TEST_F(RealApplicationTest, ThreeItemsPulledOneAfterAnotherIntoAFileManagerAllArriveComplete)
{
    if (QStandardPaths::findExecutable("pcmanfm").isEmpty())
        KESTRANE_CANNOT_RUN("pcmanfm is not installed (apt-get install pcmanfm)");
    const auto folder = home.root() / "received";
    std::filesystem::create_directories(folder);
    auto fileManager = launchFileManager(home, display, folder);
    ASSERT_TRUE(hoverUntilTaken(*fileManager, dropX, dropY)) << "pcmanfm shows its window";
    const int pocketY = launchWithDesk({ "--seed-pocket", "3" });

    const OtherDragSource otherSource(display);
    std::multiset<std::string> expected;
    for (int pull = 1; pull <= 3; ++pull) {
        ASSERT_TRUE(otherSource.takeDragSelection());
        ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "pull " << pull;
        pointer.press();
        pointer.glideTo(edgeX - 20, pocketY, 3);
        ASSERT_TRUE(dropOnto(*fileManager, dropX, dropY)) << "the drag of pull " << pull << " reaches pcmanfm";
        expected.insert("Seeded item " + std::to_string(pull) + ".txt: Seeded item " + std::to_string(pull));
        EXPECT_TRUE(pollUntil([&] { return contents(folder).size() == expected.size(); }, eventTimeout))
            << "pull " << pull << " delivered no file";
    }
    // Payloads are copied whole under their items' names, whichever item each pull took.
    pollUntil([&] { return contents(folder) == expected; }, eventTimeout);
    EXPECT_EQ(contents(folder), expected);
}

} // namespace
} // namespace kestrane::e2e
