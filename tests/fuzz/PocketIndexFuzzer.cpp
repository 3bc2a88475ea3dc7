#include "RoundTrip.h"
#include "pockets/PocketIndexCodec.h"

void kestrane::fuzz::checkInput(std::string_view input)
{
    checkRoundTrip(
        "pocket index", input, [](std::string_view text) { return decodePocketIndex(text).pockets; },
        [](const auto& pockets) { return encodePocketIndex(pockets); });
}
