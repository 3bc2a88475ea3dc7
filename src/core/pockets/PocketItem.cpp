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

} // namespace kestrane
