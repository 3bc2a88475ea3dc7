#pragma once

#include "platform/Uuid.h"
#include "pockets/PocketPayload.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace kestrane {

// One thing a pocket holds. Only the payload ever changes after the item is made (a
// pending file gains its reference, a stale reference is renewed).
struct PocketItem {
    Uuid id;
    std::string name;
    PocketPayload payload;
    // Seconds since 2001-01-01 00:00:00 UTC, the epoch of the stored index.
    double addedAt = 0;

    // A new item with a fresh random id, added at `now` (see referenceDateSeconds).
    static PocketItem make(std::string name, PocketPayload payload, double now);

    bool operator==(const PocketItem&) const = default;
};

// Every pocket's items in the order they were added. Ordered by id so that encoding the
// same state always gives the same bytes.
using PocketMap = std::map<Uuid, std::vector<PocketItem>>;

// 2001-01-01 00:00:00 UTC in Unix seconds.
inline constexpr double referenceDateEpoch = 978307200;

double referenceDateSeconds(std::chrono::system_clock::time_point time);

} // namespace kestrane
