#pragma once

#include "platform/SerialQueue.h"
#include "pockets/EnginePocketStore.h"
#include "pockets/FollowedFiles.h"
#include "pockets/PayloadFolder.h"
#include "pockets/PocketIndexWriter.h"
#include "pockets/PocketItem.h"
#include "pockets/ResolvedPocketItem.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
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
//
// A payload file is deleted only once an index that no longer lists its item is on disk,
// so a crash never leaves an item without its file; and a new payload file reaches the disk,
// with every other of its burst, before the index write that first lists it. What a crash
// leaves instead (write temporaries, files no item lists) is swept at the next start.
class PocketStore final : public EnginePocketStore {
public:
    using Clock = std::function<double()>;
    using Bookmarks = std::vector<std::pair<Uuid, Bytes>>;

    // How long a file taken out by a pull stays where the receiver was told to read it.
    // Files that no item lists are swept at start only once they are this old, so a file
    // written just before a crash is never mistaken for debris by a quick restart.
    static constexpr std::chrono::minutes pulledFileGrace { 10 };

    struct Resolution {
        ResolvedPocketItems resolved;
        std::vector<PocketItem> survivors;
        FollowedFiles::Changes followed;
    };

    // Opens the store in directory, creating its folders, reads the index and, when it was
    // read (or is absent), sweeps what a crash left behind. now gives the time stamped on
    // new items, in seconds since 2001-01-01 UTC.
    PocketStore(std::filesystem::path directory, MainQueue& main, Clock now = wallClock);
    // Writes whatever is not on disk yet.
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

    // Marks the index as changed; it is written in the background soon after.
    void save();
    // Writes whatever changed and returns once it is on disk (or the write failed): true
    // when the index on disk holds every change.
    bool waitForWrites();
    // The last save, at quit: when it fails too, one line says how many items are lost.
    bool saveBeforeQuit();

    // Turns a drop into new items at the end of the pocket; returns how many were added,
    // 0 (with a log line) when the file for a link, image or text could not be written.
    int ingest(const Pasteboard& pasteboard, const Uuid& pocket) override;
    void remove(const Uuid& item, const Uuid& pocket) override;
    // Takes items out after a pull delivered them to another application. The files the
    // store wrote for them stay readable where they were offered for pulledFileGrace,
    // since the receiver may copy them only after the drop; if the program ends sooner,
    // the next start sweeps them.
    void releasePulled(const std::vector<Uuid>& itemIDs, const Uuid& pocket) override;
    void removeAll(const Uuid& pocket);
    std::vector<PocketItem> lift(const Uuid& pocket) override;
    void restore(std::vector<PocketItem> cleared, const Uuid& pocket) override;
    void discardLifted(const std::vector<PocketItem>& cleared) override;

    // Calls completion on the main thread with what the pocket's items resolve to, and
    // drops from the pocket the items that are gone for good; items out of reach are kept
    // and delivered as not available. An empty pocket completes at once, before this returns.
    void resolveAsync(const Uuid& pocket, std::function<void(ResolvedPocketItems)> completion) override;
    // The same at once, for handing items to another application: only available items.
    ResolvedPocketItems resolve(const Uuid& pocket) override;
    // Lets go of the referenced files that were deleted, so that their space is freed
    // before the next resolution of their pocket; cheap enough for a timer.
    void releaseDeletedFiles() { followed_.releaseDeleted(); }

    // Pending items of the pocket whose reference was made become references.
    void adopt(const Bookmarks& bookmarks, const Uuid& pocket);
    // Makes the references of every pending item (one stored by a command while no copy ran,
    // or whose reference a quit cut short) at once, for a command that ends before the
    // background would report.
    void referencePendingNow();
    // Touches no store state: safe on any thread. held: the handles of the items followed
    // (FollowedFiles::handlesFor), if any.
    static Resolution resolveWork(const std::vector<PocketItem>& items, const std::filesystem::path& payloadDirectory,
        const std::vector<FollowedFiles::Handle>& held = {});
    // Replaces the pocket's list by the survivors only if the list is still the snapshot
    // that was resolved, so nothing that changed meanwhile is overwritten.
    void prune(std::vector<PocketItem> survivors, const Uuid& pocket, const std::vector<PocketItem>& snapshot);

    int itemCount(const Uuid& pocket) const override;
    std::vector<Uuid> pocketsHoldingItems() const override;
    void deletePocket(const Uuid& pocket) override;

private:
    using Generation = PocketIndexWriter::Generation;
    struct DoomedPayload {
        std::string filename;
        // The change that took its item out of the index.
        Generation removedAt = 0;
    };

    void load();
    // How many items held here the index on disk lacks.
    std::size_t unsavedItemCount() const;
    void sweepDebris() const;
    void append(const Uuid& pocket, std::vector<PocketItem> added);
    // Takes the items out of the pocket; returns the names of their managed files, or
    // absent when none of them was there.
    std::optional<std::vector<std::string>> takeOut(const std::vector<Uuid>& itemIDs, const Uuid& pocket);
    // Deletes the files once an index written after change removedAt is on disk.
    void deleteWhenPersisted(const std::vector<std::string>& filenames, Generation removedAt);
    void deletePersisted(Generation written);
    using FilesToReference = std::vector<std::pair<Uuid, std::filesystem::path>>;
    void buildBookmarks(FilesToReference files, const Uuid& pocket);
    std::map<Uuid, FilesToReference> pendingFiles() const;
    void follow(const FollowedFiles::Changes& changes, const Uuid& pocket);
    void followReferences();
    // Runs task on the main thread, after delay, if this store still exists by then.
    void postToMain(std::function<void(PocketStore&)> task, std::chrono::milliseconds delay = {});

    int ingestFiles(const std::vector<std::string>& fileUrls, const Uuid& pocket);
    static std::optional<PocketPayload> payloadForDroppedFile(const std::filesystem::path& path);
    std::optional<std::string> ownPayloadName(const std::filesystem::path& dropped) const;
    std::optional<PocketItem> copyOwnPayload(const std::filesystem::path& file, std::string name);
    std::optional<PocketItem> copyHandedOut(const std::filesystem::path& file);
    // The first item whose managed payload is this file, if any.
    const PocketItem* itemListing(const std::string& filename) const;
    std::optional<PocketItem> makeWebloc(const std::string& url);
    std::optional<PocketItem> makeImageFile(const PasteboardImage& image, std::string name);
    std::optional<PocketItem> makeTextFile(const std::string& text);
    std::optional<PocketItem> makeManagedItem(std::string name, std::string_view extension, std::string_view contents);

    std::filesystem::path directory_;
    std::filesystem::path payloadDirectory_;
    PayloadFolder payloads_;
    std::filesystem::path indexFile_;
    bool indexUnreadable_ = false;
    MainQueue& main_;
    Clock now_;
    FollowedFiles followed_;
    std::vector<DoomedPayload> doomed_;
    // Background results check this before touching a store that may be gone.
    std::shared_ptr<PocketStore*> self_;
    // Declared last so that both queues finish their work before anything above goes.
    PocketIndexWriter indexWriter_;
    SerialQueue backgroundQueue_ { "Kestrane.PocketStore.background" };
};

} // namespace kestrane
