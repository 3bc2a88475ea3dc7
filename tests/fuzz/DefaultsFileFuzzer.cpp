#include "RoundTrip.h"
#include "platform/DefaultsFileCodec.h"

// The writer may refuse values whose file would be too large; what it writes must read back.
void kestrane::fuzz::checkInput(std::string_view input)
{
    checkRoundTrip(
        "settings file", input, [](std::string_view text) { return decodeDefaultsFile(text).values; },
        [](const nlohmann::json& values) { return encodeDefaultsFile(values); }, true);
}
