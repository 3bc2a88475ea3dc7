#include "pockets/PayloadFolder.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Uuid.h"
#include "pockets/LinkedFolder.h"
#include "pockets/PayloadName.h"

#include <cerrno>
#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t uuidLength = 36;
constexpr std::string_view temporarySuffix = ".XXXXXX";

// ".<name>.XXXXXX", as an atomic write names its file before moving it in place.
bool isWriteTemporary(std::string_view name)
{
    return name.size() > temporarySuffix.size() + 1 && name.front() == '.' && name[name.size() - temporarySuffix.size()] == '.';
}

// "<UUID>.<extension>": only such names are ever written here, so nothing else is swept.
bool isPayloadName(std::string_view name)
{
    return name.size() > uuidLength + 1 && name[uuidLength] == '.' && Uuid::parse(name.substr(0, uuidLength));
}

bool isDebris(const fs::directory_entry& entry, const std::set<std::string>& listed, fs::file_time_type cutoff)
{
    std::error_code error;
    if (!fs::is_regular_file(entry.symlink_status(error)))
        return false;
    const std::string name = entry.path().filename().string();
    if (isWriteTemporary(name))
        return true;
    const fs::file_time_type changed = entry.last_write_time(error);
    return !error && changed < cutoff && isPayloadName(name) && !listed.contains(name);
}
} // namespace

PayloadFolder::PayloadFolder(fs::path storeDirectory, fs::path path)
    : storeDirectory_(std::move(storeDirectory))
    , path_(std::move(path))
{
}

std::optional<std::string> PayloadFolder::refusal() const
{
    if (auto linked = linkedFolderRefusal(storeDirectory_))
        return linked;
    return linkedFolderRefusal(path_);
}

void PayloadFolder::create() const
{
    std::error_code ignored;
    if (!refusal())
        fs::create_directories(path_, ignored);
}

bool PayloadFolder::write(const std::string& filename, std::string_view contents) const
{
    std::optional<std::string> failure = refusal();
    if (!failure && !writeFileAtomicallyUnsynced(path_ / filename, contents)) {
        const int error = errno;
        failure = "writing in " + path_.string() + " failed: " + std::generic_category().message(error);
    }
    if (failure)
        logLine("Kestrane: the drop was refused: " + *failure);
    return !failure;
}

void PayloadFolder::remove(const std::vector<std::string>& filenames) const
{
    if (filenames.empty())
        return;
    if (auto refused = refusal()) {
        logLine("Kestrane: not deleting " + std::to_string(filenames.size()) + " pocket file(s): " + *refused);
        return;
    }
    for (const std::string& filename : filenames) {
        const auto file = managedPayloadPath(path_, filename);
        if (!file) {
            logLine("Kestrane: not deleting payload \"" + filename + "\": not a file of the payload folder");
            continue;
        }
        // A failure is ignored: the item is gone from the index all the same.
        std::error_code ignored;
        fs::remove(*file, ignored);
    }
}

void PayloadFolder::sweep(const std::set<std::string>& listed, fs::file_time_type cutoff) const
{
    if (auto refused = refusal()) {
        logLine("Kestrane: not cleaning up the payload folder: " + *refused);
        return;
    }
    std::error_code error;
    for (fs::directory_iterator entry(path_, error); !error && entry != fs::directory_iterator(); entry.increment(error)) {
        if (isDebris(*entry, listed, cutoff)) {
            std::error_code ignored;
            fs::remove(entry->path(), ignored);
        }
    }
}

} // namespace kestrane
