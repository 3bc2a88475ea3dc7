#include "pockets/PocketStore.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/ReadFile.h"
#include "platform/MainQueue.h"
#include "platform/XdgPaths.h"
#include "pockets/PayloadName.h"
#include "pockets/PocketIndexCodec.h"

#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
constexpr const char* unreadableIndexLine = "Kestrane: pocket index could not be read \xE2\x80\x94 writes disabled this launch";
} // namespace

PocketStore::PocketStore(fs::path directory, MainQueue& main, Clock now)
    : directory_(std::move(directory))
    , payloadDirectory_(directory_ / "Payloads")
    , indexFile_(directory_ / "pockets.json")
    , main_(main)
    , now_(std::move(now))
    , self_(std::make_shared<PocketStore*>(this))
{
    createFolders();
    load();
    followReferences();
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

void PocketStore::createFolders()
{
    // A failure shows later, as link, image and text drops that store nothing.
    std::error_code ignored;
    fs::create_directories(payloadDirectory_, ignored);
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

void PocketStore::save()
{
    if (indexUnreadable_)
        return;
    auto snapshot = std::make_shared<const PocketMap>(items);
    indexQueue_.async([snapshot, file = indexFile_] {
        // A failure leaves the previous file as it was; the next save tries again.
        if (auto encoded = encodePocketIndex(*snapshot))
            writeFileAtomically(file, *encoded);
    });
}

void PocketStore::waitForWrites()
{
    indexQueue_.drain();
}

void PocketStore::postToMain(std::function<void(PocketStore&)> task)
{
    main_.post([weak = std::weak_ptr<PocketStore*>(self_), task = std::move(task)] {
        if (auto store = weak.lock())
            task(**store);
    });
}

void PocketStore::append(const Uuid& zone, std::vector<PocketItem> added)
{
    std::vector<PocketItem>& list = items[zone];
    list.insert(list.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    save();
}

void PocketStore::deletePayload(const PocketItem& item) const
{
    if (item.payload.kind != PocketPayload::Kind::managed)
        return;
    const auto file = managedPayloadPath(payloadDirectory_, item.payload.filename);
    if (!file) {
        logLine("Kestrane: not deleting payload \"" + item.payload.filename + "\": not a file of the payload folder");
        return;
    }
    // A failure is ignored: the item goes from the list all the same.
    std::error_code ignored;
    fs::remove(*file, ignored);
}

void PocketStore::remove(const Uuid& item, const Uuid& zone)
{
    auto pocket = items.find(zone);
    if (pocket == items.end())
        return;
    std::vector<PocketItem>& list = pocket->second;
    auto found = std::find_if(list.begin(), list.end(), [&](const PocketItem& candidate) { return candidate.id == item; });
    if (found == list.end())
        return;
    deletePayload(*found);
    followed_.release(item);
    list.erase(found);
    save();
}

void PocketStore::releasePulled(const std::vector<Uuid>& itemIDs, const Uuid& zone)
{
    for (const Uuid& id : itemIDs)
        remove(id, zone);
}

void PocketStore::removeAll(const Uuid& zone)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || pocket->second.empty())
        return;
    for (const PocketItem& item : pocket->second) {
        deletePayload(item);
        followed_.release(item.id);
    }
    pocket->second.clear();
    save();
}

std::vector<PocketItem> PocketStore::lift(const Uuid& zone)
{
    auto pocket = items.find(zone);
    if (pocket == items.end() || pocket->second.empty())
        return {};
    std::vector<PocketItem> lifted = std::exchange(pocket->second, {});
    save();
    return lifted;
}

void PocketStore::restore(std::vector<PocketItem> lifted, const Uuid& zone)
{
    if (lifted.empty())
        return;
    std::vector<PocketItem>& list = items[zone];
    lifted.insert(lifted.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
    list = std::move(lifted);
    save();
}

void PocketStore::discardLifted(const std::vector<PocketItem>& lifted)
{
    for (const PocketItem& item : lifted) {
        deletePayload(item);
        followed_.release(item.id);
    }
}

int PocketStore::itemCount(const Uuid& zone) const
{
    auto pocket = items.find(zone);
    return pocket == items.end() ? 0 : static_cast<int>(pocket->second.size());
}

std::vector<Uuid> PocketStore::pocketsHoldingItems() const
{
    std::vector<Uuid> ids;
    for (const auto& [zone, list] : items) {
        if (!list.empty())
            ids.push_back(zone);
    }
    return ids;
}

void PocketStore::deleteZone(const Uuid& zone)
{
    removeAll(zone);
    items.erase(zone);
    save();
}

} // namespace kestrane
