#pragma once

#include "EndToEndTest.h"
#include "KWinSession.h"
#include "SwaySession.h"

#include <memory>
#include <string_view>

namespace kestrane::e2e {

// A test run under each compositor it names ("sway" or "KWin"), in a headless session of it
// started for the test; it skips, or fails where it must run, when the session cannot start.
class CompositorTest : public ::testing::TestWithParam<std::string_view> {
protected:
    void SetUp() override
    {
        try {
            session =
                GetParam() == "sway" ? std::unique_ptr<WaylandSession>(std::make_unique<SwaySession>()) : std::make_unique<KWinSession>();
        } catch (const std::runtime_error& error) {
            KESTRANE_CANNOT_RUN("No " << GetParam() << " session: " << error.what());
        }
    }

    std::unique_ptr<WaylandSession> session;
};

} // namespace kestrane::e2e
