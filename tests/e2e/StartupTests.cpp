#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using StartupTest = EndToEndTest;

// A fault during start-up that depends on the run (the address layout, what a call left
// behind on the stack) shows only in some launches, so the program is started several times.
TEST_F(StartupTest, EveryLaunchStartsAndQuitsCleanly)
{
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
