#pragma once

#include "app/PocketRequest.h"
#include "engine/Dropzone.h"

#include <functional>
#include <vector>

namespace kestrane {

class Pasteboard;
class PocketStore;

// Stores what one pasteboard offers into a pocket, as a drop would; the number of items taken.
using PocketIngest = std::function<int(const Uuid& pocket, const Pasteboard& pasteboard)>;

// Carries out "--add" or "--list" on these pockets (in the edge's order). An add checks
// every path before storing anything: one that is missing refuses the whole request.
CommandOutcome carryOut(
    const PocketRequest& request, const std::vector<Dropzone>& pockets, const PocketStore& store, const PocketIngest& ingest);

} // namespace kestrane
