#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using StartupTest = EndToEndTest;

// Start-up depends on memory that differs from run to run (address layout, environment),
// so a fault there shows only in some launches.
TEST_F(StartupTest, EveryLaunchStartsAndQuitsCleanly)
{
    GTEST_SKIP() << "kestrane crashes (SIGSEGV) in DesktopModel::requestStep during start-up in some launches";
    home.writeSettings({});
    constexpr int launches = 10;
    for (int i = 0; i < launches; ++i) {
        auto copy = launch({ "--print-pockets" });
        const auto report = PocketReport::readFrom(*copy, startTimeout);
        EXPECT_TRUE(report) << "launch " << i << " exited with status " << copy->waitForExit(milliseconds(1000)).value_or(-1);
        EXPECT_EQ(copy->stop(), 0) << "launch " << i;
    }
}

} // namespace
} // namespace kestrane::e2e
