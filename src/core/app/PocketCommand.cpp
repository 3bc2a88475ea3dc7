#include "app/PocketCommand.h"

#include "pockets/FileReference.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketStore.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace kestrane {

namespace {
CommandOutcome failure(const std::string& why)
{
    return { 1, "Kestrane: " + why + "\n" };
}

bool isPath(const std::string& target)
{
    return target.starts_with('/');
}

const Dropzone* pocketNamed(const std::vector<Dropzone>& zones, const std::string& name)
{
    if (zones.empty())
        return nullptr;
    if (name.empty())
        return &zones.front();
    auto found = std::find_if(zones.begin(), zones.end(), [&](const Dropzone& zone) { return zone.name == name; });
    return found == zones.end() ? nullptr : &*found;
}

// Files given one after another go in as one drop; each link and the text as a drop of its own,
// since a drop that offers files takes only the files.
std::vector<MemoryPasteboard> dropsFor(const PocketRequest& request)
{
    std::vector<MemoryPasteboard> drops;
    bool lastWasFile = false;
    for (const std::string& target : request.targets) {
        if (!isPath(target) || !lastWasFile)
            drops.emplace_back();
        isPath(target) ? drops.back().addFile(target) : drops.back().addUrl(target);
        lastWasFile = isPath(target);
    }
    if (request.text) {
        drops.emplace_back();
        drops.back().setString(*request.text);
    }
    return drops;
}

CommandOutcome add(const PocketRequest& request, const std::vector<Dropzone>& zones, const PocketIngest& ingest)
{
    const Dropzone* pocket = pocketNamed(zones, request.pocket);
    if (!pocket)
        return failure("no pocket is named \"" + request.pocket + "\"; nothing was added");
    for (const std::string& target : request.targets) {
        std::error_code error;
        if (isPath(target) && !std::filesystem::exists(std::filesystem::symlink_status(target, error)))
            return failure("no such file or folder: " + target + "; nothing was added");
    }
    int added = 0;
    for (const MemoryPasteboard& drop : dropsFor(request))
        added += ingest(pocket->id, drop);
    if (added == 0)
        return failure("nothing could be added to \"" + pocket->name + "\"");
    return {};
}

std::string pathOf(const PocketItem& item, const PocketStore& store)
{
    if (const std::string* path = item.payload.pendingPath())
        return *path;
    if (const std::string* filename = item.payload.managedFilename())
        return (store.payloadDirectory() / *filename).string();
    const auto reference = FileReference::decode(*item.payload.bookmark());
    return reference ? reference->path.string() : std::string();
}

CommandOutcome list(const PocketRequest& request, const std::vector<Dropzone>& zones, const PocketStore& store)
{
    nlohmann::json pockets = nlohmann::json::array();
    std::string lines;
    for (const Dropzone& zone : zones) {
        nlohmann::json items = nlohmann::json::array();
        auto held = store.items.find(zone.id);
        for (const PocketItem& item : held == store.items.end() ? std::vector<PocketItem>() : held->second) {
            const std::string path = pathOf(item, store);
            items.push_back({ { "id", item.id.string() }, { "name", item.name }, { "path", path } });
            lines += zone.name + "\t" + item.name + "\t" + path + "\n";
        }
        pockets.push_back({ { "id", zone.id.string() }, { "name", zone.name }, { "items", items } });
    }
    if (!request.json)
        return { 0, lines };
    return { 0, pockets.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n" };
}
} // namespace

CommandOutcome carryOut(const PocketRequest& request, const std::vector<Dropzone>& zones, const PocketStore& store, const PocketIngest& ingest)
{
    return request.kind == PocketRequest::Kind::add ? add(request, zones, ingest) : list(request, zones, store);
}

} // namespace kestrane
