#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using StartupTest = EndToEndTest;

// A fault during start-up that depends on the run (the address layout, what a call left
// behind on the stack) shows only in some launches, so the program is started several times.
TEST_F(StartupTest, EveryLaunchStartsAndQuitsCleanly)
{
    home.writeSettings({});
    for (int launch = 0; launch < 10; ++launch)
        EXPECT_EQ(runOnce({}).back(), "SCREEN w=1440 h=900") << "launch " << launch;
}

} // namespace
} // namespace kestrane::e2e
