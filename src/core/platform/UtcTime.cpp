#include "platform/UtcTime.h"

#include <ctime>

namespace kestrane {

std::string formatUtcNow(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    gmtime_r(&now, &parts);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, length);
}

} // namespace kestrane
