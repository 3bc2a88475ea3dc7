#include "EndToEndTest.h"

#include <stdexcept>

namespace kestrane::e2e {

const StoredZone EndToEndTest::desk { "5C7E2A90-1B3D-4F68-8A4C-D2E6F0B91357", "Desk", 0.5 };

EndToEndTest::EndToEndTest()
    : pointer(display)
{
}

std::unique_ptr<ChildProcess> EndToEndTest::launch(const std::vector<std::string>& arguments, const std::string& displayName) const
{
    std::vector<std::string> command { KESTRANE_PROGRAM };
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(command, home.environment(displayName.empty() ? display.name() : displayName));
}

std::unique_ptr<ChildProcess> EndToEndTest::launchAndReport(std::vector<std::string> arguments, PocketReport& report) const
{
    arguments.push_back("--print-pockets");
    auto program = launch(arguments);
    auto printed = PocketReport::readFrom(*program, startTimeout);
    if (!printed) {
        const auto status = program->waitForExit(milliseconds(1000));
        throw std::runtime_error("kestrane printed no pocket report"
            + (status ? " and exited with status " + std::to_string(*status) : std::string(" in time")));
    }
    report = std::move(*printed);
    return program;
}

int EndToEndTest::launchWithDesk(const std::vector<std::string>& arguments)
{
    home.writeSettings({ desk });
    PocketReport report;
    program = launchAndReport(arguments, report);
    if (report.pockets.size() != 1)
        throw std::runtime_error("kestrane reported " + std::to_string(report.pockets.size()) + " pockets instead of one");
    return report.pockets.front().y;
}

PocketReport EndToEndTest::runOnce(const std::vector<std::string>& arguments) const
{
    PocketReport report;
    auto program = launchAndReport(arguments, report);
    EXPECT_EQ(program->stop(), 0) << "kestrane did not quit cleanly on SIGTERM";
    return report;
}

bool EndToEndTest::hoverUntilTaken(const ChildProcess& program, int x, int y)
{
    pointer.moveTo(x, y);
    return pollUntil([&] {
        if (display.processUnderPointer() == program.pid())
            return true;
        pointer.nudge();
        return false;
    }, eventTimeout);
}

void EndToEndTest::clickStill(int x, int y)
{
    pointer.moveTo(x, y);
    std::this_thread::sleep_for(stillness);
    pointer.click(x, y);
}

std::unique_ptr<ChildProcess> EndToEndTest::launchPeer(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> command { KESTRANE_DRAG_PEER };
    command.insert(command.end(), arguments.begin(), arguments.end());
    Environment environment = home.environment(display.name());
    environment.set("QT_QPA_PLATFORM", "xcb");
    auto peer = std::make_unique<ChildProcess>(command, environment);
    if (!peer->waitForLine("READY", startTimeout))
        throw std::runtime_error("the drag peer did not show its window");
    return peer;
}

} // namespace kestrane::e2e
