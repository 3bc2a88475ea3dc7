#pragma once

#include <string_view>

namespace kestrane {

// The system log line: one line on standard error.
void logLine(std::string_view line);

} // namespace kestrane
