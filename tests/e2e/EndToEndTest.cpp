#include "EndToEndTest.h"

#include <QColor>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace kestrane::e2e {

std::unique_ptr<ChildProcess> EndToEndTest::launch(const QStringList& arguments, const std::string& displayName) const
{
    return std::make_unique<ChildProcess>(
        QStringList { KESTRANE_PROGRAM } + arguments, home.environment(displayName.empty() ? display.name() : displayName));
}

bool endToEndRequired()
{
    const char* required = std::getenv("KESTRANE_E2E_REQUIRED");
    return required && *required && std::string_view(required) != "0";
}

double darkShare(const QImage& screen, int left)
{
    const QRect box(left, 48, 12, 24);
    return countPixels(screen, box, [](QRgb p) { return QColor(p).value() <= 80; }) / double(box.width() * box.height());
}

std::vector<std::string> readReport(ChildProcess& program)
{
    std::vector<std::string> report;
    const QDeadlineTimer deadline(startTimeout);
    while (report.empty() || !report.back().starts_with("SCREEN ")) {
        auto line = program.readLine(milliseconds(deadline.remainingTime()));
        if (!line) {
            const auto status = program.waitForExit(milliseconds(1000));
            throw std::runtime_error("kestrane printed no pocket report"
                + (status ? " and exited with status " + std::to_string(*status) : std::string(" in time")));
        }
        report.push_back(std::move(*line));
    }
    return report;
}

std::map<std::string, int> pocketYs(const std::vector<std::string>& report)
{
    std::map<std::string, int> ys;
    char id[64] = {};
    int y = 0;
    for (const std::string& line : report) {
        if (std::sscanf(line.c_str(), "POCKET %63s y=%d", id, &y) == 2)
            ys[id] = y;
    }
    return ys;
}

int pocketY(const std::vector<std::string>& report)
{
    const auto ys = pocketYs(report);
    if (ys.size() != 1)
        throw std::runtime_error("kestrane did not report the one pocket: " + report.front());
    return ys.begin()->second;
}

Finished runToEnd(ChildProcess& program, milliseconds lineTimeout)
{
    Finished finished;
    while (auto line = program.readLine(lineTimeout))
        finished.output += *line + "\n";
    finished.status = program.waitForExit(eventTimeout).value_or(-1);
    return finished;
}

std::vector<std::string> EndToEndTest::launchAndReport(const QStringList& arguments)
{
    program = launch(arguments + QStringList { "--print-pockets" });
    return readReport(*program);
}

int EndToEndTest::launchWithDesk(const QStringList& arguments)
{
    home.writeSettings({ desk });
    return pocketY(launchAndReport(arguments));
}

std::vector<std::string> EndToEndTest::runOnce(const QStringList& arguments)
{
    const std::vector<std::string> report = launchAndReport(arguments);
    EXPECT_EQ(program->stop(), 0) << "kestrane did not quit cleanly on SIGTERM";
    return report;
}

QString EndToEndTest::file(const std::string& name) const
{
    testing::writeFile(home.root() / name, name);
    return QString::fromStdString((home.root() / name).string());
}

bool EndToEndTest::hoverUntilTaken(const ChildProcess& taker, int x, int y)
{
    int moves = 0;
    return pollUntil(
        [&] {
            pointer.moveTo(x - moves++ % 2, y);
            return display.processUnderPointer() == taker.pid();
        },
        eventTimeout);
}

bool EndToEndTest::clickPocket(int pocketY)
{
    if (!hoverUntilTaken(*program, edgeX, pocketY))
        return false;
    pointer.click(edgeX, pocketY);
    return true;
}

bool EndToEndTest::dropOnto(const ChildProcess& target, int x, int y)
{
    pointer.glideTo(x, y, 16);
    if (!hoverUntilTaken(target, x, y))
        return false;
    pointer.glideTo(x + 5, y + 5, 3);
    pointer.release();
    return true;
}

bool EndToEndTest::awaitBackdrop(bool shown, milliseconds timeout)
{
    pointer.moveTo(700, 450);
    return pollUntil([&] { return (display.processUnderPointer() == program->pid()) == shown; }, timeout);
}

bool EndToEndTest::awaitFocus(const ChildProcess& owner) const
{
    return pollUntil([&] { return display.processWithFocus() == owner.pid(); }, eventTimeout);
}

std::pair<double, double> EndToEndTest::shownTextPatch() const
{
    std::pair<double, double> patch;
    pollUntil([&] { return (patch = brightnessAndContrast(display.screenshot())).second > 100; }, eventTimeout);
    return patch;
}

bool EndToEndTest::clickReaches(ChildProcess& peer, QPoint at, milliseconds wait)
{
    pointer.click(at.x(), at.y());
    return peer.readLine(wait) == QString("CLICK %1 %2").arg(at.x()).arg(at.y()).toStdString();
}

void EndToEndTest::expectReadable(const std::vector<TextBand>& texts, const char* desktop, milliseconds timeout) const
{
    std::optional<std::pair<std::string, double>> failing;
    pollUntil([&] { return !(failing = unreadable(display.screenshot(), texts)); }, timeout);
    EXPECT_FALSE(failing) << desktop << ": " << failing->first << " at " << failing->second << ":1";
}

std::unique_ptr<ChildProcess> EndToEndTest::dragOntoPocket(int pocketY, const QStringList& peerArguments)
{
    auto source = launchPeer(peerArguments);
    // The overlay learns of another program's drag when the drag selection changes while a
    // button is held, so it must see the press before the drag begins.
    pointer.moveTo(660, 460);
    pointer.press();
    pointer.glideTo(700, 470, 4);
    pointer.glideTo(edgeX - 40, pocketY, 16);
    EXPECT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the edge takes a drag that reaches it";
    pointer.glideTo(edgeX, pocketY + 2, 3);
    pointer.release();
    EXPECT_EQ(source->readLine(eventTimeout), "DRAGGED copy") << "the edge took the drop as a copy";
    return source;
}

std::unique_ptr<ChildProcess> EndToEndTest::launchPeer(const QStringList& arguments) const
{
    QProcessEnvironment environment = home.environment(display.name());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    // On a loaded machine a window now and then never gets its first paint: the peer
    // is started once more before the test gives up, with the window tree in the log.
    for (int attempt = 0;; ++attempt) {
        auto peer = std::make_unique<ChildProcess>(QStringList { KESTRANE_DRAG_PEER } + arguments, environment);
        if (peer->readLine(startTimeout) == "READY")
            return peer;
        ChildProcess tree({ "sh", "-c", "xwininfo -root -tree | head -30 >&2" }, environment);
        tree.waitForExit(milliseconds(3000));
        if (attempt == 1)
            throw std::runtime_error("the drag peer did not show its window");
    }
}

} // namespace kestrane::e2e

// QProcess watches its children through the application's event dispatcher.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
