#include "app/PocketCommand.h"

#include "platform/Log.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketStore.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>

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

const Dropzone* pocketNamed(const std::vector<Dropzone>& pockets, const std::string& name)
{
    if (pockets.empty())
        return nullptr;
    if (name.empty())
        return &pockets.front();
    auto found = std::find_if(pockets.begin(), pockets.end(), [&](const Dropzone& pocket) { return pocket.name == name; });
    return found == pockets.end() ? nullptr : &*found;
}

// Why a path cannot be an item: it names nothing, or something that is neither a file nor a
// folder (a pipe, a device or a socket would block or mean nothing to whoever opens it).
std::optional<std::string> unfitPath(const std::string& target)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(target, error)))
        return "no such file or folder";
    const fs::file_type type = fs::status(target, error).type();
    if (type == fs::file_type::fifo || type == fs::file_type::block || type == fs::file_type::character || type == fs::file_type::socket)
        return "not a file or folder";
    return std::nullopt;
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

CommandOutcome add(const PocketRequest& request, const std::vector<Dropzone>& pockets, const PocketIngest& ingest)
{
    const Dropzone* pocket = pocketNamed(pockets, request.pocket);
    if (!pocket)
        return failure("no pocket is named \"" + request.pocket + "\"; nothing was added");
    for (const std::string& target : request.targets) {
        if (!isPath(target))
            continue;
        if (auto refusal = unfitPath(target))
            return failure(*refusal + ": " + escapeControlCharacters(target) + "; nothing was added");
    }
    int added = 0;
    for (const MemoryPasteboard& drop : dropsFor(request))
        added += ingest(pocket->id, drop);
    if (added == 0)
        return failure("nothing could be added to \"" + pocket->name + "\"");
    return {};
}

// Where each item is now, as its drawer would find it; items gone for good are left out.
std::vector<std::pair<const PocketItem*, std::string>> located(const std::vector<PocketItem>& list, const PocketStore& store)
{
    const PocketStore::Resolution resolution = PocketStore::resolveWork(list, store.payloadDirectory());
    std::vector<std::pair<const PocketItem*, std::string>> found;
    // Resolution keeps the list's order.
    auto item = list.begin();
    for (const auto& resolved : resolution.resolved) {
        item = std::find_if(item, list.end(), [&](const PocketItem& candidate) { return candidate.id == resolved->id; });
        if (item == list.end())
            break;
        found.emplace_back(&*item, resolved->path.string());
    }
    return found;
}

CommandOutcome list(const PocketRequest& request, const std::vector<Dropzone>& pockets, const PocketStore& store)
{
    nlohmann::json listed = nlohmann::json::array();
    std::string lines;
    const std::vector<PocketItem> none;
    for (const Dropzone& pocket : pockets) {
        nlohmann::json items = nlohmann::json::array();
        const auto held = store.items.find(pocket.id);
        const std::vector<PocketItem>& list = held == store.items.end() ? none : held->second;
        for (const auto& [item, path] : located(list, store)) {
            items.push_back({ { "id", item->id.string() }, { "name", item->name }, { "path", path } });
            // One line per item whatever the names hold: tabs, line feeds and other control
            // characters are written as escapes.
            lines += escapeControlCharacters(pocket.name) + "\t" + escapeControlCharacters(item->name) + "\t"
                + escapeControlCharacters(path) + "\n";
        }
        listed.push_back({ { "id", pocket.id.string() }, { "name", pocket.name }, { "items", items } });
    }
    if (!request.json)
        return { 0, lines };
    return { 0, listed.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n" };
}
} // namespace

CommandOutcome carryOut(
    const PocketRequest& request, const std::vector<Dropzone>& pockets, const PocketStore& store, const PocketIngest& ingest)
{
    return request.kind == PocketRequest::Kind::add ? add(request, pockets, ingest) : list(request, pockets, store);
}

} // namespace kestrane
