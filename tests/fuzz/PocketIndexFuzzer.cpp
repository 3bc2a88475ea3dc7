#include "pockets/PocketIndexCodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace kestrane;

namespace {

[[noreturn]] void mismatch(const char* what)
{
    std::fprintf(stderr, "pocket index round trip failed: %s\n", what);
    std::abort();
}

} // namespace

// Whatever the reader accepts must be written and read back to the very same map, and
// writing that map again must give the very same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PocketIndexDecodeResult first = decodePocketIndex(text);
    if (!first.pockets)
        return 0;
    const auto encoded = encodePocketIndex(*first.pockets);
    if (!encoded)
        mismatch("an accepted document could not be written");
    const PocketIndexDecodeResult second = decodePocketIndex(*encoded);
    if (!second.pockets)
        mismatch("the written document was rejected");
    if (*second.pockets != *first.pockets)
        mismatch("the written document reads back differently");
    if (encodePocketIndex(*second.pockets) != encoded)
        mismatch("writing the same map twice gave different bytes");
    return 0;
}
