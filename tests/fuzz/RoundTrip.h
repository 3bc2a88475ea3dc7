#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kestrane::fuzz {

// What one fuzzer checks on each input; the entry point below hands it the bytes as text.
void checkInput(std::string_view input);

[[noreturn]] inline void roundTripFailed(const char* subject, const char* what)
{
    std::fprintf(stderr, "%s round trip failed: %s\n", subject, what);
    std::abort();
}

// Whatever decode accepts from input and encode writes must decode to the very same value,
// and encoding that again must give the very same bytes. Both return optionals; an encoding
// left absent fails the check unless the writer may refuse what it is given.
template <typename Input, typename Decode, typename Encode>
void checkRoundTrip(const char* subject, const Input& input, Decode decode, Encode encode, bool writerMayRefuse = false)
{
    const auto first = decode(input);
    if (!first)
        return;
    const auto encoded = encode(*first);
    if (!encoded && !writerMayRefuse)
        roundTripFailed(subject, "an accepted value could not be written");
    if (!encoded)
        return;
    const auto second = decode(*encoded);
    if (!second)
        roundTripFailed(subject, "what was written is rejected");
    if (*second != *first)
        roundTripFailed(subject, "what was written reads back differently");
    if (encode(*second) != encoded)
        roundTripFailed(subject, "writing the same value twice gave different bytes");
}

} // namespace kestrane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kestrane::fuzz::checkInput({ reinterpret_cast<const char*>(data), size });
    return 0;
}
