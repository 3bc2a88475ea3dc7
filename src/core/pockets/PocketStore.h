#pragma once

#include "engine/EngineServices.h"
#include "platform/SerialQueue.h"
#include "pockets/FollowedFiles.h"
#include "pockets/PocketItem.h"
#include "pockets/ResolvedPocketItem.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

namespace kestrane {

class MainQueue;
class Pasteboard;
struct PasteboardImage;

// Everything the pockets hold: the map from pocket id to items, the index file that keeps
// it (<directory>/pockets.json) and the folder of payload files the store writes itself
// (<directory>/Payloads). Main thread only; index writes, file references and resolution
// run in the background and come back through the main queue.
class PocketStore final : public EnginePocketStore {
public:
    using Clock = std::function<double()>;
    using Bookmarks = std::vector<std::pair<Uuid, Bytes>>;

    struct Resolution {
        ResolvedPocketItems resolved;
        std::vector<PocketItem> survivors;
        FollowedFiles::Changes followed;
    };

    // Opens the store in directory, creating its folders, and reads the index. now gives
    // the time stamped on new items, in seconds since 2001-01-01 UTC.
    PocketStore(std::filesystem::path directory, MainQueue& main, Clock now = wallClock);
    // Waits for every queued index write.
    ~PocketStore() override;
    PocketStore(const PocketStore&) = delete;
    PocketStore& operator=(const PocketStore&) = delete;

    // $XDG_DATA_HOME/Kestrane; absent when neither XDG_DATA_HOME nor HOME names a folder.
    static std::optional<std::filesystem::path> standardDirectory();
    static double wallClock();

    // Every pocket's items; a pocket without an entry holds nothing.
    PocketMap items;

    const std::filesystem::path& directory() const { return directory_; }
    const std::filesystem::path& payloadDirectory() const { return payloadDirectory_; }
    const std::filesystem::path& indexFile() const { return indexFile_; }
    // The index existed but could not be read: this run keeps changes in memory only.
    bool indexUnreadable() const { return indexUnreadable_; }

    // Writes the whole map to the index in the background.
    void save();
    // Returns once every save made before the call is on disk.
    void waitForWrites();

    // Turns a drop into new items at the end of the pocket; returns how many were added.
    int ingest(const Pasteboard& pasteboard, const Uuid& zone) override;
    void remove(const Uuid& item, const Uuid& zone) override;
    // Takes items out after a pull delivered them to another application. The files the
    // store wrote for them stay readable where they were offered for a grace period, since
    // the receiver may copy them only after the drop.
    void releasePulled(const std::vector<Uuid>& itemIDs, const Uuid& zone);
    void removeAll(const Uuid& zone);
    std::vector<PocketItem> lift(const Uuid& zone) override;
    void restore(std::vector<PocketItem> lifted, const Uuid& zone) override;
    void discardLifted(const std::vector<PocketItem>& lifted) override;

    // Calls completion on the main thread with what the pocket's items resolve to, and
    // drops from the pocket the items that are gone for good; items out of reach are kept
    // and delivered as not available. An empty pocket completes at once, before this returns.
    void resolveAsync(const Uuid& zone, std::function<void(ResolvedPocketItems)> completion) override;
    // The same at once, for handing items to another application: only available items.
    ResolvedPocketItems resolve(const Uuid& zone);
    // Lets go of the referenced files that were deleted, so that their space is freed
    // before the next resolution of their pocket; cheap enough for a timer.
    void releaseDeletedFiles() { followed_.releaseDeleted(); }

    // Pending items of the pocket whose reference was made become references.
    void adopt(const Bookmarks& bookmarks, const Uuid& zone);
    // Touches no store state: safe on any thread. held: the handles of the items followed
    // (FollowedFiles::handlesFor), if any.
    static Resolution resolveWork(const std::vector<PocketItem>& items, const std::filesystem::path& payloadDirectory,
        const std::vector<FollowedFiles::Handle>& held = {});
    // Replaces the pocket's list by the survivors only if the list is still the snapshot
    // that was resolved, so nothing that changed meanwhile is overwritten.
    void prune(std::vector<PocketItem> survivors, const Uuid& zone, const std::vector<PocketItem>& snapshot);

    int itemCount(const Uuid& zone) const override;
    std::vector<Uuid> pocketsHoldingItems() const override;
    void deleteZone(const Uuid& zone) override;

private:
    void createFolders();
    void load();
    void append(const Uuid& zone, std::vector<PocketItem> added);
    void deletePayload(const PocketItem& item) const;
    void buildBookmarks(std::vector<std::pair<Uuid, std::filesystem::path>> files, const Uuid& zone);
    void follow(const FollowedFiles::Changes& changes, const Uuid& zone);
    void followReferences();
    // Runs task on the main thread if this store still exists by then.
    void postToMain(std::function<void(PocketStore&)> task);

    int ingestFiles(const std::vector<std::string>& fileUrls, const Uuid& zone);
    std::optional<PocketItem> makeWebloc(const std::string& url) const;
    std::optional<PocketItem> makeImageFile(const PasteboardImage& image) const;
    std::optional<PocketItem> makeTextFile(const std::string& text) const;
    std::optional<PocketItem> makeManagedItem(std::string name, std::string_view extension, std::string_view contents) const;

    std::filesystem::path directory_;
    std::filesystem::path payloadDirectory_;
    std::filesystem::path indexFile_;
    bool indexUnreadable_ = false;
    MainQueue& main_;
    Clock now_;
    FollowedFiles followed_;
    // Background results check this before touching a store that may be gone.
    std::shared_ptr<PocketStore*> self_;
    // Declared last so that both queues finish their work before anything above goes.
    SerialQueue indexQueue_ { "Kestrane.PocketStore.index" };
    SerialQueue backgroundQueue_ { "Kestrane.PocketStore.background" };
};

} // namespace kestrane
