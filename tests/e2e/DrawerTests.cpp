#include "EndToEndTest.h"

#include <QRegularExpression>
#include <QUrl>

#include <fstream>
#include <functional>
#include <iostream>
#include <thread>
#include <utility>

namespace kestrane::e2e {
namespace {

using DrawerTest = EndToEndTest;

// A drawer row as the screen shows it: its height, and where its icon begins and its name
// ends (the lit pixels left of the remove button).
struct ShownRow {
    int y = 0;
    int left = 0;
    int right = 0;
};

std::vector<ShownRow> shownRows(const QImage& screen)
{
    std::vector<ShownRow> rows;
    int start = -1;
    ShownRow row { 0, screen.width(), 0 };
    for (int y = 0; y <= screen.height(); ++y) {
        bool lit = false;
        for (int x = screen.width() - 214; y < screen.height() && x < screen.width() - 44; ++x) {
            if (qRed(screen.pixel(x, y)) > 150 && qBlue(screen.pixel(x, y)) > 150) {
                lit = true;
                row.left = std::min(row.left, x);
                row.right = std::max(row.right, x);
            }
        }
        if (lit && start < 0)
            start = y;
        if (!lit && start >= 0) {
            row.y = (start + y) / 2;
            rows.push_back(row);
            row = { 0, screen.width(), 0 };
            start = -1;
        }
    }
    return rows;
}

// The rows of the drawer once it has stopped moving. Two screenshots alike are not enough
// on a loaded machine, where the program may paint nothing between them while the drawer
// is still opening (and not yet taking presses): the rows must stay put for a while.
std::vector<ShownRow> settledRows(const XvfbDisplay& display, size_t count)
{
    std::vector<ShownRow> rows, before;
    auto stillSince = std::chrono::steady_clock::now();
    pollUntil(
        [&] {
            before = std::exchange(rows, shownRows(display.screenshot()));
            const bool same = rows.size() == count && before.size() == count && rows[0].left == before[0].left && rows[0].y == before[0].y;
            if (!same)
                stillSince = std::chrono::steady_clock::now();
            return same && std::chrono::steady_clock::now() - stillSince > milliseconds(400);
        },
        eventTimeout);
    return rows;
}

// The longest frame the program reported among the lines it printed so far; each line is
// also handed to the listener.
double longestFrame(ChildProcess& program, const std::function<void(const std::string&)>& listener = {})
{
    double longest = 0;
    const QRegularExpression frames("^FRAMES \\d+ longest=([0-9.]+)ms$");
    while (auto line = program.readLine(milliseconds(300))) {
        if (listener)
            listener(*line);
        if (const auto match = frames.match(QString::fromStdString(*line)); match.hasMatch())
            longest = std::max(longest, match.captured(1).toDouble());
    }
    return longest;
}

void wheel(const XvfbDisplay& display, int notches)
{
    for (int i = 0; i < notches; ++i) {
        display.pressButton(true, 5);
        display.pressButton(false, 5);
        // Notches as far apart as a hand turns the wheel: the clear needs a run of them.
        std::this_thread::sleep_for(milliseconds(120));
    }
}

// Files and a browser's pictures dropped onto a pocket are stored in it in the order they
// came; its drawer shows the files by name and opens one with the default application.
TEST_F(DrawerTest, DroppedFilesAndPicturesAreStoredShownByNameAndOpened)
{
    std::filesystem::create_directories(home.root() / "bin");
    const auto opened = home.root() / "opened";
    testing::writeFile(home.root() / "bin/xdg-open", "#!/bin/sh\necho \"$@\" > '" + opened.string() + "'\n");
    std::filesystem::permissions(home.root() / "bin/xdg-open", std::filesystem::perms::owner_all);
    const QStringList files { file("a.txt"), file("notes.md"), file("the quarterly plan for everyone.pdf") };
    const int pocketY = launchWithDesk({});
    // As a browser offers a picture of a page: a data URL, which is no link; or its address
    // with its bytes, which are the picture.
    for (const QStringList& peer :
        { QStringList { "source", "600", "400" } + files, { "image", "600", "400" }, { "webimage", "600", "400" } }) {
        const size_t before = home.items(desk.id).size();
        const auto source = dragOntoPocket(pocketY, peer);
        pollUntil([&] { return home.items(desk.id).size() > before; }, eventTimeout);
    }
    const std::vector<StoredItem> stored = home.items(desk.id);
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_EQ(std::vector({ stored[0].name, stored[1].name, stored[2].name }),
        (std::vector<std::string> { "a.txt", "notes.md", "the quarterly plan for everyone.pdf" }));
    EXPECT_TRUE(std::filesystem::exists(files[0].toStdString())) << "a dropped file stays where it was";
    EXPECT_EQ(stored[3].file.extension(), ".png");
    EXPECT_EQ(stored[4].name, "red dot.png");
    EXPECT_EQ(testing::readFile(stored[4].file).substr(1, 3), "PNG");

    ASSERT_TRUE(clickPocket(pocketY));
    pointer.moveTo(900, pocketY);
    const std::vector<ShownRow> rows = settledRows(display, 5);
    ASSERT_EQ(rows.size(), 5u);
    // Names of different lengths, in the order they were dropped: a missing, swapped or
    // wrong name (such as the stored file's own) ends its row elsewhere.
    EXPECT_LT(rows[0].right + 10, rows[1].right);
    EXPECT_LT(rows[1].right + 10, rows[2].right);
    EXPECT_LT(rows[0].right - rows[0].left, 26 + 10 + 40) << "\"a.txt\" is a short name";

    pointer.click(rows[1].left + 60, rows[1].y);
    // The stand-in opener's shell creates the file before it writes the line.
    ASSERT_TRUE(pollUntil([&] { return testing::readFile(opened).ends_with('\n'); }, eventTimeout));
    EXPECT_EQ(testing::readFile(opened), QUrl::fromLocalFile(files[1]).toString().toStdString() + "\n");
}

TEST_F(DrawerTest, ARowDraggedOutIsCopiedTheRemoveButtonTakesOneAndScrollingPastTheEndClearsAll)
{
    auto receiver = launchPeer({ "receiver", "300", "200", "400", "400" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "3", "--debug-purge", "--debug-frames" });
    const std::vector<StoredItem> seeded = home.items(desk.id);
    ASSERT_TRUE(clickPocket(pocketY));
    // Left alone while it opens (screenshots would take the processor from it) and for the
    // once-a-second report of its frames, which then tells how smoothly it opened.
    std::this_thread::sleep_for(milliseconds(1100));
    std::cout << "longest frame while the drawer opened: " << longestFrame(*program) << " ms" << std::endl;
    const std::vector<ShownRow> rows = settledRows(display, 3);
    ASSERT_EQ(rows.size(), 3u);

    pointer.moveTo(rows[0].left + 60, rows[0].y);
    pointer.press();
    pointer.glideTo(rows[0].left + 40, rows[0].y + 10, 3);
    ASSERT_TRUE(dropOnto(*receiver, 500, 400)) << "the drag reaches the receiver";
    std::optional<std::string> line, text;
    while ((line = receiver->readLine(eventTimeout)) && !line->starts_with("RECEIVED "))
        if (line->starts_with("TEXT "))
            text = line;
    EXPECT_EQ(text, "TEXT Seeded item 1") << "a receiver that takes text gets the item's text";
    // Under the item's own name, from the runtime folder; the stored payload keeps its name.
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->starts_with("RECEIVED " + (home.root() / "runtime/kestrane-handout/").string())) << *line;
    EXPECT_TRUE(line->ends_with("/Seeded item 1.txt: Seeded item 1")) << *line;
    EXPECT_EQ(home.items(desk.id).at(0).file, seeded[0].file);
    EXPECT_EQ(home.items(desk.id).size(), 3u) << "a row dragged out stays in its pocket";

    // The remove button takes clicks on the hovered row, which shows it.
    const auto removeButton = [&] { return qGray(display.screenshot().pixel(XvfbDisplay::width - 24, rows[1].y)); };
    const int bare = removeButton();
    pointer.moveTo(rows[1].left + 60, rows[1].y);
    ASSERT_TRUE(pollUntil([&] { return removeButton() > bare + 60; }, eventTimeout)) << "the row shows its remove button";
    pointer.click(XvfbDisplay::width - 24, rows[1].y);
    std::vector<StoredItem> left;
    ASSERT_TRUE(pollUntil([&] { return (left = home.items(desk.id)).size() == 2; }, eventTimeout));
    EXPECT_EQ(std::tuple(left[0].id, left[1].id), std::tuple(seeded[0].id, seeded[2].id));

    // The notches after the clear stay with the overlay: openbox would switch desktops on them.
    const auto currentDesktop = [&] {
        return ChildProcess({ "xdotool", "get_desktop" }, home.environment(display.name())).readLine(eventTimeout);
    };
    const auto desktopBefore = currentDesktop();
    pointer.moveTo(rows[0].left + 60, rows[0].y + 10);
    wheel(display, 40);
    EXPECT_TRUE(pollUntil([&] { return home.items(desk.id).empty(); }, eventTimeout)) << "cleared";
    EXPECT_EQ(currentDesktop(), desktopBefore);
    int clearingLines = 0;
    longestFrame(*program, [&](const std::string& output) { clearingLines += output.starts_with("PURGE "); });
    EXPECT_GT(clearingLines, 10);
}

// A row dragged onto another pocket is that pocket's own: it survives a start's sweep of
// old unlisted files and the removal of the row it came from.
TEST_F(DrawerTest, ARowDraggedOntoAnotherPocketOutlivesTheOriginal)
{
    const StoredPocket shelf { "9A1F3C5E-7B2D-4E6F-8091-A2B3C4D5E6F7", "Shelf", 0.8 };
    home.writeSettings({ desk, shelf });
    const auto ys = pocketYs(launchAndReport({ "--seed-pocket", "1" }));
    const int deskY = ys.at(desk.id), shelfY = ys.at(shelf.id);
    const StoredItem original = home.items(desk.id).at(0);

    ASSERT_TRUE(clickPocket(deskY));
    std::vector<ShownRow> rows = settledRows(display, 1);
    ASSERT_EQ(rows.size(), 1u);
    // How many points of the shelf's row the edge draws dark: its bulge swells toward a drag
    // once the shelf is the drop's target.
    const auto shelfInk = [&] {
        return countPixels(display.screenshot(), QRect(XvfbDisplay::width - 200, shelfY, 200, 1), [](QRgb p) { return qGray(p) < 60; });
    };
    const int idleInk = shelfInk();
    pointer.moveTo(rows[0].left + 60, rows[0].y);
    pointer.press();
    pointer.glideTo(rows[0].left + 40, rows[0].y + 10, 3);
    pointer.glideTo(edgeX - 60, shelfY, 12);
    int moves = 0;
    EXPECT_TRUE(pollUntil(
        [&] {
            pointer.glideTo(edgeX - moves++ % 2, shelfY, 2);
            return shelfInk() > idleInk + 5;
        },
        eventTimeout))
        << "the shelf swells toward the drag from " << idleInk << " points";
    pointer.release();
    std::vector<StoredItem> moved;
    ASSERT_TRUE(pollUntil([&] { return (moved = home.items(shelf.id)).size() == 1; }, eventTimeout));
    EXPECT_EQ(moved[0].name, original.name);
    ASSERT_FALSE(moved[0].file.empty()) << "the shelf keeps a file of its own";
    EXPECT_NE(moved[0].file, original.file);

    ASSERT_EQ(program->stop(), 0);
    const auto payloads = home.root() / "data/Kestrane/Payloads";
    for (const auto& entry : std::filesystem::directory_iterator(payloads))
        std::filesystem::last_write_time(entry.path(), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    launchAndReport({});
    ASSERT_TRUE(std::filesystem::exists(moved[0].file)) << "swept as unlisted";

    ASSERT_TRUE(clickPocket(deskY));
    rows = settledRows(display, 1);
    ASSERT_EQ(rows.size(), 1u);
    // Delete removes the row under the pointer.
    ASSERT_TRUE(pollUntil(
        [&] {
            pointer.moveTo(rows[0].left + 60 + moves++ % 2, rows[0].y);
            display.xdotool({ "key", "Delete" });
            return home.items(desk.id).empty();
        },
        eventTimeout));
    EXPECT_TRUE(pollUntil([&] { return !std::filesystem::exists(original.file); }, eventTimeout));
    EXPECT_EQ(testing::readFile(moved[0].file), "Seeded item 1");
}

} // namespace
} // namespace kestrane::e2e
