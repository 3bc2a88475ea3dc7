#pragma once

#include <gtest/gtest.h>

#include <string>

namespace kestrane::testing {

// What `action` writes to standard error.
template <typename Action> std::string stderrOf(Action action)
{
    ::testing::internal::CaptureStderr();
    action();
    return ::testing::internal::GetCapturedStderr();
}

} // namespace kestrane::testing
