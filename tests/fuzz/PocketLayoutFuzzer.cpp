#include "RoundTrip.h"
#include "engine/Dropzone.h"

void kestrane::fuzz::checkInput(std::string_view input)
{
    checkRoundTrip(
        "pocket layout", Bytes(input.begin(), input.end()), [](const Bytes& bytes) { return std::optional(decodeZones(bytes).zones); },
        [](const std::vector<Dropzone>& zones) { return std::optional(encodeZones(zones)); });
}
