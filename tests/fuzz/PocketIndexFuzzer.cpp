#include "RoundTrip.h"
#include "pockets/PocketIndexCodec.h"

#include <cstdint>
#include <string_view>

using namespace kestrane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr const char* subject = "pocket index";
    fuzz::checkRoundTrip(
        subject, std::string_view(reinterpret_cast<const char*>(data), size),
        [](std::string_view text) { return decodePocketIndex(text).pockets; },
        [](const auto& pockets) {
            auto encoded = encodePocketIndex(pockets);
            if (!encoded)
                fuzz::roundTripFailed(subject, "an accepted document could not be written");
            return encoded;
        });
    return 0;
}
