#include "engine/BezelEngine.h"

#include <algorithm>

namespace kestrane {

void BezelEngine::refreshCounts()
{
    for (BlobRuntime& blob : blobs)
        blob.itemCount = services_.pockets.itemCount(blob.config.id);
    const bool holdsItems = std::any_of(blobs.begin(), blobs.end(), [](const BlobRuntime& b) { return b.isLiving() && b.itemCount > 0; });
    if (holdsItems && !zonesStored_)
        saveZones();
    markChanged();
}

} // namespace kestrane
