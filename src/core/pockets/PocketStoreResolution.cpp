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

void deliver(PocketStore::Resolution& result, const PocketItem& item, fs::path path, bool scoped, bool available = true)
{
    std::string name = path.filename().string();
    result.resolved.push_back(std::make_shared<const ResolvedPocketItem>(
        ResolvedPocketItem { item.id, std::move(path), scoped, available, std::move(name), false }));
}

void deliverManaged(PocketStore::Resolution& result, const PocketItem& item, fs::path path)
{
    result.resolved.push_back(
        std::make_shared<const ResolvedPocketItem>(ResolvedPocketItem { item.id, std::move(path), false, true, item.name, true }));
}

// Where a referenced file is now, following it by its held descriptor if need be; the
// item is kept with its reference renewed when stale, and the file it names now is held.
void resolveReference(const PocketItem& item, const FollowedFiles::Handle& held, PocketStore::Resolution& result)
{
    const auto followed = held ? held->currentPath() : std::nullopt;
    const auto found = FileReference::resolve(*item.payload.bookmark(), followed);
    if (!found || (found->isAvailable && !fileExists(found->path))) {
        if (held)
            result.followed.emplace_back(item.id, nullptr);
        return;
    }
    PocketItem survivor = item;
    if (found->isStale) {
        if (auto renewed = FileReference::create(found->path))
            survivor.payload = PocketPayload::makeReference(std::move(*renewed));
    }
    if (found->isAvailable) {
        if (auto change = FollowedFiles::follow(*survivor.payload.bookmark(), held))
            result.followed.emplace_back(item.id, std::move(*change));
    } else if (held && !followed) {
        result.followed.emplace_back(item.id, nullptr);
    }
    deliver(result, item, found->path, true, found->isAvailable);
    result.survivors.push_back(std::move(survivor));
}

// A file named by a path: kept while it is there or out of reach.
void resolvePath(const PocketItem& item, std::optional<fs::path> file, PocketStore::Resolution& result)
{
    if (!file)
        return;
    const bool available = fileExists(*file);
    if (!available && !isOutOfReach(*file))
        return;
    deliver(result, item, std::move(*file), false, available);
    result.survivors.push_back(item);
}
} // namespace

PocketStore::Resolution PocketStore::resolveWork(
    const std::vector<PocketItem>& list, const fs::path& payloadDirectory, const std::vector<FollowedFiles::Handle>& held)
{
    Resolution result;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const PocketItem& item = list[i];
        if (item.payload.bookmark()) {
            resolveReference(item, i < held.size() ? held[i] : nullptr, result);
        } else if (const std::string* filename = item.payload.managedFilename()) {
            if (auto file = managedPayloadPath(payloadDirectory, *filename); file && fileExists(*file)) {
                deliverManaged(result, item, *file);
                result.survivors.push_back(item);
            }
        } else if (const std::string* pending = item.payload.pendingPath()) {
            const fs::path path(*pending);
            resolvePath(item, path.is_absolute() ? std::optional(path) : std::nullopt, result);
        }
    }
    return result;
}

void PocketStore::prune(std::vector<PocketItem> survivors, const Uuid& pocket, const std::vector<PocketItem>& snapshot)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || entry->second != snapshot || survivors == snapshot)
        return;
    entry->second = std::move(survivors);
    save();
}

void PocketStore::follow(const FollowedFiles::Changes& changes, const Uuid& pocket)
{
    auto entry = items.find(pocket);
    followed_.apply(changes, entry == items.end() ? std::vector<PocketItem> {} : entry->second);
}

void PocketStore::followReferences()
{
    backgroundQueue_.async([this, pockets = items] {
        auto handles = std::make_shared<const FollowedFiles::Changes>(FollowedFiles::holdAll(pockets));
        postToMain([handles](PocketStore& store) { store.followed_.addUnheld(*handles, store.items); });
    });
}

ResolvedPocketItems PocketStore::resolve(const Uuid& pocket)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || entry->second.empty())
        return {};
    const std::vector<PocketItem> snapshot = entry->second;
    Resolution result = resolveWork(snapshot, payloadDirectory_, followed_.handlesFor(snapshot));
    prune(std::move(result.survivors), pocket, snapshot);
    follow(result.followed, pocket);
    std::erase_if(result.resolved, [](const auto& item) { return !item->available; });
    return std::move(result.resolved);
}

void PocketStore::resolveAsync(const Uuid& pocket, std::function<void(ResolvedPocketItems)> completion)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || entry->second.empty()) {
        completion({});
        return;
    }
    auto snapshot = std::make_shared<const std::vector<PocketItem>>(entry->second);
    backgroundQueue_.async([this, snapshot, held = followed_.handlesFor(*snapshot), pocket, payloads = payloadDirectory_,
                               completion = std::move(completion)]() mutable {
        auto result = std::make_shared<Resolution>(resolveWork(*snapshot, payloads, held));
        held.clear();
        postToMain([snapshot, pocket, result, completion = std::move(completion)](PocketStore& store) {
            store.prune(std::move(result->survivors), pocket, *snapshot);
            store.follow(result->followed, pocket);
            completion(std::move(result->resolved));
        });
    });
}

std::map<Uuid, PocketStore::FilesToReference> PocketStore::pendingFiles() const
{
    std::map<Uuid, FilesToReference> pending;
    for (const auto& [pocket, list] : items) {
        for (const PocketItem& item : list) {
            if (const std::string* path = item.payload.pendingPath(); path && fs::path(*path).is_absolute())
                pending[pocket].emplace_back(item.id, *path);
        }
    }
    return pending;
}

void PocketStore::referencePendingNow()
{
    for (const auto& [pocket, files] : pendingFiles()) {
        Bookmarks bookmarks;
        for (const auto& [id, path] : files) {
            if (auto bytes = FileReference::create(path))
                bookmarks.emplace_back(id, std::move(*bytes));
        }
        adopt(bookmarks, pocket);
    }
}

void PocketStore::buildBookmarks(FilesToReference files, const Uuid& pocket)
{
    backgroundQueue_.async([this, files = std::move(files), pocket] {
        auto bookmarks = std::make_shared<Bookmarks>();
        auto followed = std::make_shared<FollowedFiles::Changes>();
        for (const auto& [id, path] : files) {
            // A file that cannot be referred to stays pending and keeps working by its path.
            auto bytes = FileReference::create(path);
            if (!bytes)
                continue;
            if (auto handle = FollowedFiles::follow(*bytes, nullptr))
                followed->emplace_back(id, std::move(*handle));
            bookmarks->emplace_back(id, std::move(*bytes));
        }
        postToMain([bookmarks, followed, pocket](PocketStore& store) {
            store.adopt(*bookmarks, pocket);
            store.follow(*followed, pocket);
        });
    });
}

void PocketStore::adopt(const Bookmarks& bookmarks, const Uuid& pocket)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || bookmarks.empty())
        return;
    const std::map<Uuid, const Bytes*> byItem = [&] {
        std::map<Uuid, const Bytes*> map;
        for (const auto& [id, bytes] : bookmarks)
            map.emplace(id, &bytes);
        return map;
    }();
    bool changed = false;
    for (PocketItem& item : entry->second) {
        auto found = byItem.find(item.id);
        if (!item.payload.pendingPath() || found == byItem.end())
            continue;
        item.payload = PocketPayload::makeReference(*found->second);
        changed = true;
    }
    if (changed)
        save();
}

} // namespace kestrane
