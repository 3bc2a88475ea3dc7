#pragma once

#include <string>

namespace kestrane {

// The current time in UTC, written with a strftime format.
std::string formatUtcNow(const char* format);

} // namespace kestrane
