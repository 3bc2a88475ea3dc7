#pragma once

#include <cstdio>
#include <cstdlib>

namespace kestrane::fuzz {

[[noreturn]] inline void roundTripFailed(const char* subject, const char* what)
{
    std::fprintf(stderr, "%s round trip failed: %s\n", subject, what);
    std::abort();
}

// Whatever decode accepts from input and encode writes must decode to the very same value,
// and encoding that again must give the very same bytes. Both return optionals; an encoding
// left absent (a writer refusing what it may refuse) ends the check.
template <typename Input, typename Decode, typename Encode>
void checkRoundTrip(const char* subject, const Input& input, Decode decode, Encode encode)
{
    const auto first = decode(input);
    if (!first)
        return;
    const auto encoded = encode(*first);
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
