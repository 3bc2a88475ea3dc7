#include "RoundTrip.h"
#include "platform/DefaultsFileCodec.h"

#include <cstdint>
#include <string_view>

using namespace kestrane;

// The writer may refuse values whose file would be too large; what it writes must read back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkRoundTrip(
        "settings file", std::string_view(reinterpret_cast<const char*>(data), size),
        [](std::string_view text) { return decodeDefaultsFile(text).values; },
        [](const nlohmann::json& values) { return encodeDefaultsFile(values); });
    return 0;
}
