#include "pockets/PocketStore.h"

#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/ReadFile.h"
#include "platform/XdgPaths.h"
#include "pockets/PocketIndexCodec.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
constexpr const char* unreadableIndexLine = "Kestrane: pocket index could not be read \xE2\x80\x94 writes disabled this launch";
} // namespace

PocketStore::PocketStore(fs::path directory, MainQueue& main, Clock now)
    : directory_(std::move(directory))
    , payloadDirectory_(directory_ / "Payloads")
    , payloads_(directory_, payloadDirectory_)
    , indexFile_(directory_ / "pockets.json")
    , main_(main)
    , now_(std::move(now))
    , self_(std::make_shared<PocketStore*>(this))
    , indexWriter_(indexFile_, items, main, [this](Generation written) { deletePersisted(written); })
{
    payloads_.create();
    load();
    followReferences();
    // Every file item is followed, however it came in.
    for (auto& [pocket, files] : pendingFiles())
        buildBookmarks(std::move(files), pocket);
    // An index that could not be read may still list files that look unlisted now.
    if (!indexUnreadable_)
        sweepDebris();
}

PocketStore::~PocketStore()
{
    waitForWrites();
}

std::optional<fs::path> PocketStore::standardDirectory()
{
    if (auto data = xdgDataHome())
        return *data / "Kestrane";
    return std::nullopt;
}

double PocketStore::wallClock()
{
    return referenceDateSeconds(std::chrono::system_clock::now());
}

void PocketStore::load()
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(indexFile_, error)))
        return;
    const std::optional<std::string> text = readWholeFile(indexFile_);
    PocketIndexDecodeResult decoded = text ? decodePocketIndex(*text) : PocketIndexDecodeResult {};
    if (!decoded.pockets) {
        indexUnreadable_ = true;
        logLine(unreadableIndexLine);
        return;
    }
    items = std::move(*decoded.pockets);
}

void PocketStore::sweepDebris() const
{
    std::set<std::string> listed;
    for (const auto& [pocket, list] : items) {
        for (const PocketItem& item : list) {
            if (const std::string* filename = item.payload.managedFilename())
                listed.insert(*filename);
        }
    }
    indexWriter_.removeTemporaries();
    payloads_.sweep(listed, fs::file_time_type::clock::now() - pulledFileGrace);
}

void PocketStore::save()
{
    if (!indexUnreadable_)
        indexWriter_.changed();
}

bool PocketStore::waitForWrites()
{
    indexWriter_.flush();
    return !indexUnreadable_ && indexWriter_.written() == indexWriter_.changes();
}

bool PocketStore::saveBeforeQuit()
{
    if (waitForWrites())
        return true;
    if (const std::size_t lost = unsavedItemCount())
        logLine("Kestrane: " + std::to_string(lost) + " item(s) could not be saved to " + indexFile_.string() + " and are lost");
    return false;
}

std::size_t PocketStore::unsavedItemCount() const
{
    std::set<Uuid> onDisk;
    if (!indexUnreadable_) {
        const std::optional<std::string> text = readWholeFile(indexFile_);
        const PocketIndexDecodeResult decoded = text ? decodePocketIndex(*text) : PocketIndexDecodeResult {};
        for (const auto& [pocket, list] : decoded.pockets.value_or(PocketMap {})) {
            for (const PocketItem& item : list)
                onDisk.insert(item.id);
        }
    }
    std::size_t unsaved = 0;
    for (const auto& [pocket, list] : items)
        unsaved += static_cast<std::size_t>(
            std::count_if(list.begin(), list.end(), [&](const PocketItem& item) { return !onDisk.contains(item.id); }));
    return unsaved;
}

void PocketStore::postToMain(std::function<void(PocketStore&)> task, std::chrono::milliseconds delay)
{
    auto guarded = [weak = std::weak_ptr<PocketStore*>(self_), task = std::move(task)] {
        if (auto store = weak.lock())
            task(**store);
    };
    if (delay.count() > 0)
        main_.postAfter(delay, std::move(guarded));
    else
        main_.post(std::move(guarded));
}

void PocketStore::append(const Uuid& pocket, std::vector<PocketItem> added)
{
    std::vector<PocketItem>& list = items[pocket];
    list.insert(list.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    save();
}

void PocketStore::deleteWhenPersisted(const std::vector<std::string>& filenames, Generation removedAt)
{
    // The unreadable index on disk may still list them; a later launch may read it.
    if (indexUnreadable_)
        return;
    for (const std::string& filename : filenames)
        doomed_.push_back({ filename, removedAt });
    deletePersisted(indexWriter_.written());
}

// A file that an item still lists (two items may share one, as an edited index can make)
// is kept whatever happened to the other item.
void PocketStore::deletePersisted(Generation written)
{
    std::vector<std::string> due;
    std::erase_if(doomed_, [&](DoomedPayload& doomed) {
        if (doomed.removedAt > written)
            return false;
        if (!itemListing(doomed.filename))
            due.push_back(std::move(doomed.filename));
        return true;
    });
    payloads_.remove(due);
}

const PocketItem* PocketStore::itemListing(const std::string& filename) const
{
    for (const auto& [pocket, list] : items) {
        for (const PocketItem& item : list) {
            if (const std::string* listed = item.payload.managedFilename(); listed && *listed == filename)
                return &item;
        }
    }
    return nullptr;
}

std::optional<std::vector<std::string>> PocketStore::takeOut(const std::vector<Uuid>& itemIDs, const Uuid& pocket)
{
    auto entry = items.find(pocket);
    if (entry == items.end())
        return std::nullopt;
    std::vector<PocketItem>& list = entry->second;
    std::optional<std::vector<std::string>> files;
    for (const Uuid& id : itemIDs) {
        auto found = std::find_if(list.begin(), list.end(), [&](const PocketItem& candidate) { return candidate.id == id; });
        if (found == list.end())
            continue;
        if (!files)
            files.emplace();
        if (const std::string* filename = found->payload.managedFilename())
            files->push_back(*filename);
        followed_.release(id);
        list.erase(found);
    }
    return files;
}

void PocketStore::remove(const Uuid& item, const Uuid& pocket)
{
    const auto files = takeOut({ item }, pocket);
    if (!files)
        return;
    save();
    deleteWhenPersisted(*files, indexWriter_.changes());
}

void PocketStore::releasePulled(const std::vector<Uuid>& itemIDs, const Uuid& pocket)
{
    const auto files = takeOut(itemIDs, pocket);
    if (!files)
        return;
    save();
    if (files->empty())
        return;
    postToMain([files = *files, removedAt = indexWriter_.changes()](PocketStore& store) { store.deleteWhenPersisted(files, removedAt); },
        pulledFileGrace);
}

void PocketStore::removeAll(const Uuid& pocket)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || entry->second.empty())
        return;
    std::vector<PocketItem> removed = std::exchange(entry->second, {});
    save();
    discardLifted(removed);
}

std::vector<PocketItem> PocketStore::lift(const Uuid& pocket)
{
    auto entry = items.find(pocket);
    if (entry == items.end() || entry->second.empty())
        return {};
    std::vector<PocketItem> cleared = std::exchange(entry->second, {});
    save();
    return cleared;
}

void PocketStore::restore(std::vector<PocketItem> cleared, const Uuid& pocket)
{
    if (cleared.empty())
        return;
    std::vector<PocketItem>& list = items[pocket];
    cleared.insert(cleared.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
    list = std::move(cleared);
    save();
}

void PocketStore::discardLifted(const std::vector<PocketItem>& cleared)
{
    std::vector<std::string> files;
    for (const PocketItem& item : cleared) {
        followed_.release(item.id);
        if (const std::string* filename = item.payload.managedFilename())
            files.push_back(*filename);
    }
    deleteWhenPersisted(files, indexWriter_.changes());
}

int PocketStore::itemCount(const Uuid& pocket) const
{
    auto entry = items.find(pocket);
    return entry == items.end() ? 0 : static_cast<int>(entry->second.size());
}

std::vector<Uuid> PocketStore::pocketsHoldingItems() const
{
    std::vector<Uuid> ids;
    for (const auto& [pocket, list] : items) {
        if (!list.empty())
            ids.push_back(pocket);
    }
    return ids;
}

void PocketStore::deletePocket(const Uuid& pocket)
{
    removeAll(pocket);
    items.erase(pocket);
    save();
}

} // namespace kestrane
