#include "platform/Log.h"

#include <cstdio>
#include <string>

namespace kestrane {

void logLine(std::string_view line)
{
    std::string text(line);
    text += '\n';
    std::fputs(text.c_str(), stderr);
}

} // namespace kestrane
