#include "pockets/PocketItem.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrane {

PocketItem PocketItem::make(std::string name, PocketPayload payload, double now)
{
    return PocketItem { Uuid::random(), std::move(name), std::move(payload), now };
}

double referenceDateSeconds(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    return duration<double>(time.time_since_epoch()).count() - referenceDateEpoch;
}

std::chrono::system_clock::time_point timeFromReferenceDate(double seconds)
{
    using namespace std::chrono;
    // The clock counts nanoseconds in 64 bits, about 292 years either side of 1970;
    // a stored date beyond that is clamped rather than overflowing the conversion.
    constexpr double limit = 9.0e9;
    const double unixSeconds = std::isnan(seconds) ? referenceDateEpoch : seconds + referenceDateEpoch;
    const duration<double> sinceUnixEpoch(std::clamp(unixSeconds, -limit, limit));
    return system_clock::time_point(duration_cast<system_clock::duration>(sinceUnixEpoch));
}

} // namespace kestrane
