#include "EndToEndTest.h"

#include "engine/EditLayout.h"

#include <QByteArray>
#include <QColor>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <thread>

namespace kestrane::e2e {
namespace {

// Where edit mode's controls stand on the 1440 × 900 screen.
constexpr int rowRemoveX = XvfbDisplay::width - 64 - 13;
constexpr QPoint at(Point point)
{
    return { static_cast<int>(point.x), static_cast<int>(point.y) };
}
const QPoint editToggle = at(editLayout::editToggleCentre(XvfbDisplay::width, XvfbDisplay::height, 0));
const QPoint prefsToggle = at(editLayout::prefsToggleCentre(XvfbDisplay::height, 0));
// A control ends at the panel's right-hand side, centred in its row.
constexpr int controlX = static_cast<int>(editLayout::leadingInset + editLayout::panelWidth) - 12;
constexpr int rowY(int row)
{
    const Rect frame = editLayout::panelRow(row, XvfbDisplay::height);
    return static_cast<int>(frame.y + frame.height / 2);
}
// The title and the detail of each of the panel's rows.
std::vector<TextBand> panelRows()
{
    std::vector<TextBand> texts;
    for (int row = 0; row < 5; ++row) {
        texts.push_back({ "title " + std::to_string(row), QRect(80, rowY(row) - 16, 190, 14) });
        texts.push_back({ "detail " + std::to_string(row), QRect(80, rowY(row) + 3, 190, 11) });
    }
    return texts;
}

class EditModeTest : public EndToEndTest {
protected:
    std::unique_ptr<ChildProcess> peer;

    void open(const QStringList& arguments = {})
    {
        peer = launchPeer({ "clicks", "lines" });
        launchWithDesk(arguments);
        display.xdotool({ "key", "ctrl+alt+d" });
        EXPECT_TRUE(awaitBackdrop(true)) << "edit mode takes the screen's clicks";
    }
    // Opens the preferences panel and waits until its rows read, when they take clicks.
    void openPanel()
    {
        pointer.click(prefsToggle.x(), prefsToggle.y());
        EXPECT_TRUE(pollUntil([&] { return !unreadable(display.screenshot(), panelRows()); }, eventTimeout)) << "the panel shows";
    }
    // Starts the panel's recorder and presses Control-Shift-K once it holds the keyboard.
    void recordShortcut()
    {
        pointer.click(controlX, rowY(1));
        ASSERT_TRUE(pollUntil([&] { return display.keyboardGrabbed(); }, eventTimeout)) << "the recorder takes the keyboard";
        display.xdotool({ "key", "ctrl+shift+k" });
        EXPECT_TRUE(pollUntil([&] { return home.settings().value("kestrane.prefs.shortcut.label", "") == "K"; }, eventTimeout));
        EXPECT_TRUE(pollUntil([&] { return !display.keyboardGrabbed(); }, eventTimeout)) << "the recorder lets the keyboard go";
    }
    bool clickReachesPeer(milliseconds wait) { return clickReaches(*peer, { 700, 450 }, wait); }
    // Clicks edit mode's toggle and waits until the row at this height can be moved: its
    // remove button shows, a white bar across an even disc, where a row at rest may write its
    // name on a dark plate.
    bool makeMovable(int y)
    {
        pointer.click(editToggle.x(), editToggle.y());
        return pollUntil(
            [&] {
                const QImage shot = display.screenshot();
                const auto grey = [&](int dx, int dy) { return qGray(shot.pixel(rowRemoveX + dx, y + dy)); };
                const int disc = grey(0, 4);
                const auto onDisc = [&](int dx, int dy) { return std::abs(grey(dx, dy) - disc) < 15; };
                const auto onBar = [&](int dx) { return std::max(grey(dx, -1), grey(dx, 0)) > disc + 30; };
                return onDisc(0, -4) && onDisc(-6, 0) && onDisc(6, 0) && onBar(-2) && onBar(0) && onBar(2);
            },
            eventTimeout);
    }

    nlohmann::json pockets() const
    {
        const std::string encoded = home.settings().at("kestrane.zones.v1").at("base64");
        return nlohmann::json::parse(QByteArray::fromBase64(QByteArray::fromStdString(encoded)).toStdString());
    }
    std::optional<nlohmann::json> pocketNamed(const std::string& name) const
    {
        for (const auto& pocket : pockets())
            if (pocket.at("name") == name)
                return pocket;
        return std::nullopt;
    }
    int shownY(const std::string& name) const
    {
        return static_cast<int>(std::lround(pocketNamed(name).value().at("anchor").get<double>() * XvfbDisplay::height));
    }
};

TEST_F(EditModeTest, ScreenDimsAndBlursBehindTheRows)
{
    peer = launchPeer({ "clicks", "lines" });
    const auto [bareBrightness, bareContrast] = shownTextPatch();
    ASSERT_GT(bareContrast, 100);
    // Opened by the switch: what is checked here is the look, not the shortcut.
    const int y = launchWithDesk({ "--edit" });
    QImage shot;
    // The dimming comes first, the blurred picture and the faded-in names a moment later.
    const auto nameBrightness = [&] {
        return countPixels(shot, QRect(XvfbDisplay::width - 64 - 168, y - 8, 168, 17), [](QRgb p) { return qGray(p) > 200; });
    };
    pollUntil(
        [&] {
            const auto [brightness, contrast] = brightnessAndContrast(shot = display.screenshot());
            return brightness < 0.85 * bareBrightness && contrast < 0.5 * bareContrast && nameBrightness() > 20;
        },
        eventTimeout);
    const auto [brightness, contrast] = brightnessAndContrast(shot);
    EXPECT_LT(brightness, 0.85 * bareBrightness) << "dimmed";
    EXPECT_LT(contrast, 0.5 * bareContrast) << "blurred";
    EXPECT_GT(nameBrightness(), 20) << "the pocket's name is written in its row";

    // Read again, the backdrop keeps no picture of a window closed behind it.
    peer.reset();
    EXPECT_TRUE(pollUntil([&] { return brightnessAndContrast(display.screenshot()).first < 0.3 * brightness; }, eventTimeout))
        << "the closed window stays behind, blurred";
}

// Over the brightest desktop and the darkest, every label, the footer and the panel read
// against what lies right behind them.
TEST_F(EditModeTest, TextReadsOverWhiteAndBlackDesktops)
{
    for (const char* desktop : { "white", "dark" }) {
        peer = launchPeer({ "clicks", desktop });
        const int y = launchWithDesk({ "--edit" });
        ASSERT_TRUE(awaitBackdrop(true));
        pointer.click(prefsToggle.x(), prefsToggle.y());
        std::vector<TextBand> texts { { "pocket name", QRect(XvfbDisplay::width - 110, y - 7, 46, 14) },
            { "add label", QRect(XvfbDisplay::width - 144, 55, 80, 14) }, { "footer", QRect(150, XvfbDisplay::height - 54, 550, 16) },
            { "panel header", QRect(80, rowY(0) - 54, 180, 14) } };
        std::ranges::copy(panelRows(), std::back_inserter(texts));
        expectReadable(texts, desktop, eventTimeout);
        ASSERT_EQ(program->stop(), 0);
    }
}

TEST_F(EditModeTest, AddNameArrangeAndRemovePockets)
{
    open();
    ASSERT_TRUE(pollUntil([&] { return darkShare(display.screenshot(), plusLeft) >= 0.7; }, eventTimeout)) << "the plus bulge shows";
    pointer.click(edgeX, 62);
    ASSERT_TRUE(pollUntil([&] { return pockets().size() == 2; }, eventTimeout)) << "the plus bulge adds a pocket";
    // The field takes the keyboard on a later turn of the program's event loop, which a loaded
    // machine may keep waiting a while; then it shows its caret, a bar taller than its letters.
    const auto caretShows = [&] {
        const QImage shot = display.screenshot();
        for (int x = XvfbDisplay::width - 300; x < XvfbDisplay::width - 64; ++x)
            for (int y = 0, run = 0; y < XvfbDisplay::height; ++y)
                if ((run = qGray(shot.pixel(x, y)) > 200 ? run + 1 : 0) == 14)
                    return true;
        return false;
    };
    ASSERT_TRUE(pollUntil(caretShows, eventTimeout)) << "the new pocket's field shows its caret";
    display.xdotool({ "type", "--delay", "40", "Work" });
    display.xdotool({ "key", "Return" });
    ASSERT_TRUE(pollUntil([&] { return pocketNamed("Work").has_value(); }, eventTimeout)) << "the new pocket's field had the keyboard";

    const int deskY = shownY("Desk");
    ASSERT_TRUE(makeMovable(deskY)) << "the remove button shows";
    pointer.moveTo(edgeX, deskY);
    pointer.press();
    pointer.glideTo(edgeX, deskY + 100, 12);
    pointer.release();
    EXPECT_TRUE(pollUntil([&] { return std::abs(shownY("Desk") - (deskY + 100)) <= 12; }, eventTimeout))
        << "dragged 100 down to " << shownY("Desk");

    pointer.click(rowRemoveX, shownY("Work"));
    EXPECT_TRUE(pollUntil([&] { return !pocketNamed("Work"); }, eventTimeout)) << "its remove button removes it";
}

TEST_F(EditModeTest, ARemovedPocketComesBackWithAllItsItems)
{
    const StoredPocket spare { "2B9E4C71-6A0D-4F3E-B5C8-7D1A9E2F4063", "Spare", 0.25 };
    home.writeSettings({ desk, spare });
    const int deskY = pocketYs(launchAndReport({ "--seed-pocket", "3", "--edit" })).at(desk.id);
    ASSERT_TRUE(pollUntil([&] { return home.items(desk.id).size() == 3; }, eventTimeout));
    const std::vector<StoredItem> items = home.items(desk.id);
    ASSERT_TRUE(awaitBackdrop(true)) << "edit mode takes the screen's clicks";
    ASSERT_TRUE(makeMovable(deskY)) << "the remove button shows";

    pointer.click(rowRemoveX, deskY);
    ASSERT_TRUE(pollUntil([&] { return !pocketNamed("Desk"); }, eventTimeout)) << "the pocket is removed";
    EXPECT_EQ(home.items(desk.id).size(), 3u) << "its items are kept while it can come back";
    EXPECT_TRUE(std::filesystem::exists(items[0].file));

    // "Put back" stands where the remove button was.
    pointer.click(rowRemoveX, deskY);
    ASSERT_TRUE(pollUntil([&] { return pocketNamed("Desk").has_value(); }, eventTimeout)) << "put back";
    EXPECT_EQ(std::pair(pocketNamed("Desk")->at("id"), pocketNamed("Desk")->at("anchor")),
        std::pair(nlohmann::json(desk.id), nlohmann::json(desk.anchor)));
    ASSERT_EQ(program->stop(), 0);
    const std::vector<StoredItem> after = home.items(desk.id);
    ASSERT_EQ(after.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_TRUE(after[i].id == items[i].id && std::filesystem::exists(after[i].file)) << i;
}

TEST_F(EditModeTest, PanelSwitchesShortcutAndQuit)
{
    open({ "--seed-pocket", "1" });
    openPanel();
    const auto autostart = home.root() / "config/autostart/kestrane.desktop";
    pointer.click(controlX, rowY(2));
    EXPECT_TRUE(pollUntil([&] { return home.settings().value("kestrane.prefs.blurWholeScreen", true) == false; }, eventTimeout));
    pointer.click(controlX, rowY(0));
    EXPECT_TRUE(pollUntil([&] { return std::filesystem::exists(autostart); }, eventTimeout));
    // Apart by more than the double-click interval, the next click on the switch is a click of its own.
    std::this_thread::sleep_for(milliseconds(500));
    pointer.click(controlX, rowY(0));
    EXPECT_TRUE(pollUntil([&] { return !std::filesystem::exists(autostart); }, eventTimeout));

    recordShortcut();
    display.xdotool({ "key", "ctrl+shift+k" });
    EXPECT_TRUE(awaitBackdrop(false)) << "the new shortcut leaves edit mode";
    display.xdotool({ "key", "ctrl+alt+d" });
    // Time for the old shortcut to open edit mode, which it must not.
    std::this_thread::sleep_for(absenceWait);
    EXPECT_TRUE(clickReachesPeer(eventTimeout)) << "the old one no longer opens it";
    display.xdotool({ "key", "ctrl+shift+k" });
    EXPECT_TRUE(awaitBackdrop(true)) << "the new one opens it";

    openPanel();
    pointer.click(controlX, rowY(4));
    EXPECT_EQ(program->waitForExit(eventTimeout), 0);
    EXPECT_EQ(home.items(desk.id).size(), 1u) << "the index is intact";
}

// A combination that another program has grabbed still reaches the recorder, which then
// says it is taken instead of waiting for keys forever.
TEST_F(EditModeTest, RecordingACombinationAnotherProgramHoldsEnds)
{
    IsolatedHome other;
    // Control-Shift-K, in the stored form.
    other.writeSettings({ desk },
        { { "kestrane.prefs.shortcut.keyCode", 40 }, { "kestrane.prefs.shortcut.modifiers", 0x60000 },
            { "kestrane.prefs.shortcut.label", "K" } });
    ChildProcess holder({ KESTRANE_PROGRAM, "--print-pockets" }, other.environment(display.name()));
    readReport(holder);

    open();
    openPanel();
    recordShortcut();
}

} // namespace
} // namespace kestrane::e2e
