#include "pockets/FollowedFiles.h"

#include <unordered_set>

namespace kestrane {

namespace {
std::unordered_set<Uuid> referenceItems(const std::vector<PocketItem>& list, std::unordered_set<Uuid> ids = {})
{
    for (const PocketItem& item : list) {
        if (item.payload.bookmark())
            ids.insert(item.id);
    }
    return ids;
}
} // namespace

FollowedFiles::Changes FollowedFiles::holdAll(const PocketMap& pockets)
{
    Changes handles;
    for (const auto& [pocket, list] : pockets) {
        for (const PocketItem& item : list) {
            const Bytes* bookmark = item.payload.bookmark();
            if (!bookmark)
                continue;
            if (auto handle = follow(*bookmark, nullptr))
                handles.emplace_back(item.id, std::move(*handle));
        }
    }
    return handles;
}

void FollowedFiles::addUnheld(const Changes& handles, const PocketMap& pockets)
{
    std::unordered_set<Uuid> present;
    for (const auto& [pocket, list] : pockets)
        present = referenceItems(list, std::move(present));
    for (const auto& [id, handle] : handles) {
        if (present.contains(id))
            handles_.try_emplace(id, handle);
    }
}

std::vector<FollowedFiles::Handle> FollowedFiles::handlesFor(const std::vector<PocketItem>& list) const
{
    std::vector<Handle> handles;
    handles.reserve(list.size());
    for (const PocketItem& item : list) {
        auto found = handles_.find(item.id);
        handles.push_back(found == handles_.end() ? nullptr : found->second);
    }
    return handles;
}

void FollowedFiles::apply(const Changes& changes, const std::vector<PocketItem>& list)
{
    if (changes.empty())
        return;
    const std::unordered_set<Uuid> present = referenceItems(list);
    for (const auto& [id, handle] : changes) {
        if (handle && present.contains(id))
            handles_[id] = handle;
        else
            handles_.erase(id);
    }
}

void FollowedFiles::release(const Uuid& item)
{
    handles_.erase(item);
}

void FollowedFiles::releaseDeleted()
{
    std::erase_if(handles_, [](const auto& entry) { return entry.second->isDeleted(); });
}

std::optional<FollowedFiles::Handle> FollowedFiles::follow(const Bytes& bookmark, const Handle& held)
{
    const auto reference = FileReference::decode(bookmark);
    if (!reference)
        return held ? std::optional<Handle>(nullptr) : std::nullopt;
    if (held && held->holds(*reference))
        return std::nullopt;
    Handle handle = HeldFile::open(*reference);
    if (!handle && !held)
        return std::nullopt;
    return handle;
}

} // namespace kestrane
