#include "pockets/PocketIndexWriter.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "pockets/LinkedFolder.h"
#include "pockets/PocketIndexCodec.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
std::string lastError()
{
    const int error = errno;
    return std::generic_category().message(error);
}

std::optional<std::string> writeIndex(const fs::path& file, const PocketMap& snapshot, const std::vector<fs::path>& unsynced)
{
    if (auto refused = linkedFolderRefusal(file.parent_path()))
        return refused;
    if (!syncFiles(unsynced))
        return "the files of its items could not be flushed to disk: " + lastError();
    const std::optional<std::string> encoded = encodePocketIndex(snapshot);
    if (!encoded)
        return "an item could not be encoded";
    if (!writeFileAtomically(file, *encoded))
        return lastError();
    return std::nullopt;
}
} // namespace

PocketIndexWriter::PocketIndexWriter(fs::path file, const PocketMap& items, MainQueue& main, std::function<void(Generation)> onWritten)
    : file_(std::move(file))
    , items_(items)
    , main_(main)
    , onWritten_(std::move(onWritten))
    , self_(std::make_shared<PocketIndexWriter*>(this))
{
}

void PocketIndexWriter::changed()
{
    ++changes_;
    if (inFlight_ || turnPosted_)
        return;
    turnPosted_ = true;
    main_.post([weak = std::weak_ptr<PocketIndexWriter*>(self_)] {
        auto writer = weak.lock();
        if (!writer)
            return;
        PocketIndexWriter& self = **writer;
        self.turnPosted_ = false;
        if (self.dirty() && !self.inFlight_)
            self.start();
    });
}

void PocketIndexWriter::syncBeforeNextWrite(fs::path file)
{
    unsynced_.push_back(std::move(file));
}

void PocketIndexWriter::start()
{
    started_ = changes_;
    inFlight_ = std::make_shared<Write>(Write { changes_, std::exchange(unsynced_, {}), std::nullopt });
    auto snapshot = std::make_shared<const PocketMap>(items_);
    queue_.async([write = inFlight_, snapshot, file = file_, weak = std::weak_ptr<PocketIndexWriter*>(self_), main = &main_] {
        write->failure = writeIndex(file, *snapshot, write->unsynced);
        main->post([weak, write] {
            if (auto writer = weak.lock())
                (**writer).completed(write);
        });
    });
}

void PocketIndexWriter::completed(const std::shared_ptr<Write>& write)
{
    // flush() may have concluded this write already.
    if (inFlight_ != write)
        return;
    const bool changedMeanwhile = changes_ > write->generation;
    conclude(*write);
    if (changedMeanwhile)
        start();
}

void PocketIndexWriter::settle()
{
    if (const std::shared_ptr<Write> write = inFlight_) {
        queue_.drain();
        conclude(*write);
    }
}

void PocketIndexWriter::conclude(Write& write)
{
    inFlight_.reset();
    if (!write.failure) {
        written_ = write.generation;
        failing_ = false;
        onWritten_(written_);
        return;
    }
    started_ = written_;
    unsynced_.insert(unsynced_.begin(), std::make_move_iterator(write.unsynced.begin()), std::make_move_iterator(write.unsynced.end()));
    if (!failing_)
        logLine("Kestrane: the pocket index " + file_.string() + " could not be saved (" + *write.failure
            + "); the items are kept in memory and saving is tried again at the next change and at quit");
    failing_ = true;
}

void PocketIndexWriter::flush()
{
    settle();
    if (dirty()) {
        start();
        settle();
    }
}

void PocketIndexWriter::removeTemporaries() const
{
    const std::string prefix = std::string(".").append(file_.filename().string()).append(".");
    constexpr std::size_t randomPart = 6;
    const fs::path folder = file_.parent_path();
    if (linkedFolderRefusal(folder))
        return;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code ignored;
        if (name.size() == prefix.size() + randomPart && name.starts_with(prefix) && fs::is_regular_file(entry->symlink_status(ignored)))
            fs::remove(entry->path(), ignored);
    }
}

} // namespace kestrane
