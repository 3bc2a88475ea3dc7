#include "pockets/PocketStore.h"

#include "pockets/FileReference.h"
#include "pockets/PayloadName.h"

#include <map>
#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
bool fileExists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

std::shared_ptr<const ResolvedPocketItem> resolved(const PocketItem& item, fs::path url, bool scoped)
{
    return std::make_shared<const ResolvedPocketItem>(ResolvedPocketItem { item.id, std::move(url), scoped });
}

// Where an item's content is now, and the item as it should be kept (a stale reference
// renewed); absent when the item no longer leads anywhere.
std::optional<std::pair<std::shared_ptr<const ResolvedPocketItem>, PocketItem>> resolveItem(const PocketItem& item,
    const fs::path& payloadDirectory)
{
    switch (item.payload.kind) {
    case PocketPayload::Kind::reference: {
        const auto found = FileReference::resolve(item.payload.bookmark);
        if (!found || !fileExists(found->path))
            return std::nullopt;
        PocketItem survivor = item;
        if (found->isStale) {
            if (auto renewed = FileReference::create(found->path))
                survivor.payload = PocketPayload::makeReference(std::move(*renewed));
        }
        return std::pair { resolved(item, found->path, true), std::move(survivor) };
    }
    case PocketPayload::Kind::managed: {
        const auto file = managedPayloadPath(payloadDirectory, item.payload.filename);
        if (!file || !fileExists(*file))
            return std::nullopt;
        return std::pair { resolved(item, *file, false), item };
    }
    case PocketPayload::Kind::pending: {
        const fs::path path(item.payload.path);
        if (!path.is_absolute() || !fileExists(path))
            return std::nullopt;
        return std::pair { resolved(item, path, false), item };
    }
    }
    return std::nullopt;
}
} // namespace

PocketStore::Resolution PocketStore::resolveWork(const std::vector<PocketItem>& list, const fs::path& payloadDirectory)
{
    Resolution result;
    for (const PocketItem& item : list) {
        if (auto found = resolveItem(item, payloadDirectory)) {
            result.resolved.push_back(std::move(found->first));
            result.survivors.push_back(std::move(found->second));
        }
    }
    return result;
}

void PocketStore::prune(std::vector<PocketItem> survivors, const Uuid& zone, const std::vector<PocketItem>& snapshot)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || pocket->second != snapshot || survivors == snapshot)
        return;
    pocket->second = std::move(survivors);
    save();
}

ResolvedPocketItems PocketStore::resolve(const Uuid& zone)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || pocket->second.empty())
        return {};
    const std::vector<PocketItem> snapshot = pocket->second;
    Resolution result = resolveWork(snapshot, payloadDirectory_);
    prune(std::move(result.survivors), zone, snapshot);
    return std::move(result.resolved);
}

void PocketStore::resolveAsync(const Uuid& zone, std::function<void(ResolvedPocketItems)> completion)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || pocket->second.empty()) {
        completion({});
        return;
    }
    auto snapshot = std::make_shared<const std::vector<PocketItem>>(pocket->second);
    backgroundQueue_.async([this, snapshot, zone, payloads = payloadDirectory_, completion = std::move(completion)]() mutable {
        auto result = std::make_shared<Resolution>(resolveWork(*snapshot, payloads));
        postToMain([snapshot, zone, result, completion = std::move(completion)](PocketStore& store) {
            store.prune(std::move(result->survivors), zone, *snapshot);
            completion(std::move(result->resolved));
        });
    });
}

void PocketStore::buildBookmarks(std::vector<std::pair<Uuid, fs::path>> files, const Uuid& zone)
{
    backgroundQueue_.async([this, files = std::move(files), zone] {
        auto bookmarks = std::make_shared<Bookmarks>();
        for (const auto& [id, path] : files) {
            // A file that cannot be referred to stays pending and keeps working by its path.
            if (auto bytes = FileReference::create(path))
                bookmarks->emplace_back(id, std::move(*bytes));
        }
        postToMain([bookmarks, zone](PocketStore& store) { store.adopt(*bookmarks, zone); });
    });
}

void PocketStore::adopt(const Bookmarks& bookmarks, const Uuid& zone)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || bookmarks.empty())
        return;
    const std::map<Uuid, const Bytes*> byItem = [&] {
        std::map<Uuid, const Bytes*> map;
        for (const auto& [id, bytes] : bookmarks)
            map.emplace(id, &bytes);
        return map;
    }();
    bool changed = false;
    for (PocketItem& item : pocket->second) {
        auto found = byItem.find(item.id);
        if (item.payload.kind != PocketPayload::Kind::pending || found == byItem.end())
            continue;
        item.payload = PocketPayload::makeReference(*found->second);
        changed = true;
    }
    if (changed)
        save();
}

} // namespace kestrane
