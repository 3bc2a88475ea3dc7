#include "RoundTrip.h"
#include "engine/Dropzone.h"

#include <cstdint>
#include <optional>

using namespace kestrane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkRoundTrip(
        "pocket layout", Bytes(data, data + size), [](const Bytes& bytes) { return decodeZones(bytes); },
        [](const std::vector<Dropzone>& zones) { return std::optional(encodeZones(zones)); });
    return 0;
}
