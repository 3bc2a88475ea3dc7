#pragma once

#include "platform/SerialQueue.h"
#include "pockets/PocketItem.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

class MainQueue;

// Keeps the index file in step with the store's map. A change only marks the index dirty;
// the write starts on the main loop's next turn, or as soon as the write before it ends,
// and takes its snapshot of the map only then. So at most one write is pending however
// fast changes come, and the file always ends with the latest state. A failed write keeps
// the index dirty: the next change or flush() tries again. Main thread only, except the
// writes themselves.
class PocketIndexWriter {
public:
    // Counts changes; every change up to written() is on disk.
    using Generation = std::uint64_t;

    // onWritten runs on the main thread after each successful write, with its generation.
    PocketIndexWriter(std::filesystem::path file, const PocketMap& items, MainQueue& main, std::function<void(Generation)> onWritten);
    PocketIndexWriter(const PocketIndexWriter&) = delete;
    PocketIndexWriter& operator=(const PocketIndexWriter&) = delete;

    void changed();
    // A file that the next change lists, written without waiting for the disk: the next write
    // makes it durable before the index that lists it, together with every other such file.
    void syncBeforeNextWrite(std::filesystem::path file);
    // Writes whatever is dirty and returns once it is on disk (or failed).
    void flush();
    Generation changes() const { return changes_; }
    Generation written() const { return written_; }
    // Removes what writes interrupted by a crash left beside the file.
    void removeTemporaries() const;

private:
    struct Write {
        Generation generation = 0;
        std::vector<std::filesystem::path> unsynced;
        // Why the write failed; set on the queue, read on the main thread once it is done.
        std::optional<std::string> failure;
    };

    bool dirty() const { return changes_ > started_; }
    void start();
    void completed(const std::shared_ptr<Write>& write);
    void settle();
    void conclude(Write& write);

    std::filesystem::path file_;
    const PocketMap& items_;
    MainQueue& main_;
    std::function<void(Generation)> onWritten_;
    Generation changes_ = 0;
    Generation started_ = 0;
    Generation written_ = 0;
    bool turnPosted_ = false;
    bool failing_ = false;
    std::vector<std::filesystem::path> unsynced_;
    std::shared_ptr<Write> inFlight_;
    // Results posted to the main thread check this before touching a writer that may be gone.
    std::shared_ptr<PocketIndexWriter*> self_;
    SerialQueue queue_ { "Kestrane.PocketStore.index" };
};

} // namespace kestrane
