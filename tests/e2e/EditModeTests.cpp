#include "EndToEndTest.h"

#include "engine/EditLayout.h"

#include <QByteArray>
#include <QColor>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <thread>

namespace kestrane::e2e {
namespace {

using std::this_thread::sleep_for;

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

class EditModeTest : public EndToEndTest {
protected:
    std::unique_ptr<ChildProcess> peer;

    void open(const QStringList& arguments = {})
    {
        peer = launchPeer({ "clicks", "lines" });
        launchWithDesk(arguments);
        // The first key through the test's keyboard switches the server to its key map, a
        // change the program follows by grabbing its shortcut again: that key is a harmless one.
        display.xdotool({ "key", "shift", "sleep", "0.5" });
        toggle("ctrl+alt+d");
        // A loaded machine may take longer than the toggle's pause to cover the screen.
        EXPECT_TRUE(hoverUntilTaken(*program, 700, 450)) << "edit mode takes the screen's clicks";
    }
    void toggle(const char* keys) const { display.xdotool({ "key", keys, "sleep", "0.7" }); }
    void click(QPoint at, int settle = 500)
    {
        pointer.click(at.x(), at.y());
        sleep_for(milliseconds(settle));
    }
    bool clickReachesPeer(milliseconds wait) { return clickReaches(*peer, { 700, 450 }, wait); }

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
};

TEST_F(EditModeTest, ScreenDimsAndBlursBehindTheRows)
{
    peer = launchPeer({ "clicks", "lines" });
    sleep_for(milliseconds(500));
    const auto [bareBrightness, bareContrast] = brightnessAndContrast(display.screenshot());
    ASSERT_GT(bareContrast, 100);
    // Opened by the switch: what is checked here is the look, not the shortcut.
    const int y = launchWithDesk({ "--edit" });
    QImage shot;
    // The dimming comes first, the blurred picture and the faded-in names a moment later.
    const auto nameBrightness = [&] {
        int bright = 0;
        for (int x = XvfbDisplay::width - 64 - 168; x < XvfbDisplay::width - 64; ++x)
            for (int dy = -8; dy <= 8; ++dy)
                bright += qGray(shot.pixel(x, y + dy)) > 200;
        return bright;
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
        ASSERT_TRUE(hoverUntilTaken(*program, 700, 450));
        click(prefsToggle, 900);
        std::vector<TextBand> texts { { "pocket name", QRect(XvfbDisplay::width - 110, y - 7, 46, 14) },
            { "add label", QRect(XvfbDisplay::width - 144, 55, 80, 14) }, { "footer", QRect(150, XvfbDisplay::height - 54, 550, 16) },
            { "panel header", QRect(80, rowY(0) - 54, 180, 14) } };
        for (int row = 0; row < 5; ++row) {
            texts.push_back({ "title " + std::to_string(row), QRect(80, rowY(row) - 16, 190, 14) });
            texts.push_back({ "detail " + std::to_string(row), QRect(80, rowY(row) + 3, 190, 11) });
        }
        expectReadable(texts, desktop, eventTimeout);
        ASSERT_EQ(program->stop(), 0);
    }
}

TEST_F(EditModeTest, AddNameArrangeAndRemovePockets)
{
    open();
    click({ edgeX, 62 }, 300);
    ASSERT_TRUE(pollUntil([&] { return pockets().size() == 2; }, eventTimeout)) << "the plus bulge adds a pocket";
    // The field takes the keyboard on the next turn of the program's event loop, which a
    // loaded machine may keep waiting a while.
    sleep_for(milliseconds(800));
    display.xdotool({ "type", "--delay", "40", "Work" });
    display.xdotool({ "key", "Return" });
    ASSERT_TRUE(pollUntil([&] { return pocketNamed("Work").has_value(); }, eventTimeout)) << "the new pocket's field had the keyboard";

    click(editToggle, 900);
    const auto before = pocketNamed("Desk");
    ASSERT_TRUE(before);
    const int deskY = static_cast<int>(std::lround(before->at("anchor").get<double>() * XvfbDisplay::height));
    pointer.moveTo(edgeX, deskY);
    pointer.press();
    pointer.glideTo(edgeX, deskY + 100, 12);
    pointer.release();
    sleep_for(milliseconds(600));
    EXPECT_NEAR(pocketNamed("Desk")->at("anchor").get<double>() * XvfbDisplay::height, deskY + 100, 12) << "dragged 100 down";

    const int workY = static_cast<int>(std::lround(pocketNamed("Work")->at("anchor").get<double>() * XvfbDisplay::height));
    click({ rowRemoveX, workY }, 700);
    EXPECT_FALSE(pocketNamed("Work")) << "its remove button removes it";
}

TEST_F(EditModeTest, ARemovedPocketComesBackWithAllItsItems)
{
    const StoredPocket spare { "2B9E4C71-6A0D-4F3E-B5C8-7D1A9E2F4063", "Spare", 0.25 };
    home.writeSettings({ desk, spare });
    const int deskY = pocketYs(launchAndReport({ "--seed-pocket", "3", "--edit" })).at(desk.id);
    ASSERT_TRUE(pollUntil([&] { return home.items(desk.id).size() == 3; }, eventTimeout));
    const std::vector<StoredItem> items = home.items(desk.id);
    ASSERT_TRUE(hoverUntilTaken(*program, 700, 450)) << "edit mode takes the screen's clicks";
    pointer.moveTo(700, 450);

    // The remove button is drawn once the rows are movable.
    const auto brightness = [&] {
        const QImage shot = display.screenshot();
        int brightest = 0;
        for (int dy = -1; dy <= 1; ++dy)
            brightest = std::max(brightest, qGray(shot.pixel(rowRemoveX, deskY + dy)));
        return brightest;
    };
    const int bare = brightness();
    pointer.click(editToggle.x(), editToggle.y());
    ASSERT_TRUE(pollUntil([&] { return brightness() > bare + 60; }, eventTimeout)) << "the remove button shows";

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
    click(prefsToggle, 900);
    const auto autostart = home.root() / "config/autostart/kestrane.desktop";
    click({ controlX, rowY(2) });
    EXPECT_EQ(home.settings().value("kestrane.prefs.blurWholeScreen", true), false);
    click({ controlX, rowY(0) });
    EXPECT_TRUE(std::filesystem::exists(autostart));
    click({ controlX, rowY(0) });
    EXPECT_FALSE(std::filesystem::exists(autostart));

    click({ controlX, rowY(1) }, 300);
    display.xdotool({ "key", "ctrl+shift+k", "sleep", "0.3" });
    EXPECT_EQ(home.settings().value("kestrane.prefs.shortcut.label", ""), "K");
    toggle("ctrl+shift+k");
    EXPECT_TRUE(clickReachesPeer(eventTimeout)) << "the new shortcut leaves edit mode";
    toggle("ctrl+alt+d");
    EXPECT_TRUE(clickReachesPeer(eventTimeout)) << "the old one no longer opens it";
    toggle("ctrl+shift+k");
    EXPECT_FALSE(clickReachesPeer(absenceWait)) << "the new one opens it";

    // That click left edit mode again.
    toggle("ctrl+shift+k");
    click(prefsToggle, 900);
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
    click(prefsToggle, 900);
    click({ controlX, rowY(1) }, 300);
    display.xdotool({ "key", "ctrl+shift+k", "sleep", "0.3" });
    EXPECT_EQ(home.settings().value("kestrane.prefs.shortcut.label", ""), "K");
}

} // namespace
} // namespace kestrane::e2e
