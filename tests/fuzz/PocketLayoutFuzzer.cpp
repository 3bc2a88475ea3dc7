#include "RoundTrip.h"
#include "engine/Dropzone.h"

void kestrane::fuzz::checkInput(std::string_view input)
{
    checkRoundTrip(
        "pocket layout", Bytes(input.begin(), input.end()), [](const Bytes& bytes) { return std::optional(decodePockets(bytes).pockets); },
        [](const std::vector<Dropzone>& pockets) { return std::optional(encodePockets(pockets)); });
}
