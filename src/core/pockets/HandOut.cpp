#include "pockets/HandOut.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/ReadFile.h"
#include "platform/XdgPaths.h"
#include "pockets/DesktopLink.h"
#include "pockets/ItemName.h"
#include "pockets/Webloc.h"

#include <set>
#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
constexpr fs::perms ownerOnly = fs::perms::owner_all;
constexpr std::string_view storedLink = ".webloc";
constexpr std::string_view handedLink = ".desktop";

// The item's name without the payload's extension, when it ends with it.
std::string stemOf(const std::string& name, const std::string& extension)
{
    if (!extension.empty() && name.size() > extension.size() && name.ends_with(extension))
        return name.substr(0, name.size() - extension.size());
    return name;
}

// A folder of our own, never a link placed there to send the files elsewhere.
bool makePrivateFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directory(folder, error);
    if (error || !fs::is_directory(fs::symlink_status(folder, error)))
        return false;
    fs::permissions(folder, ownerOnly, error);
    return !error;
}

// A kept link goes out as a desktop entry, which Linux file managers open as that link.
bool writeDesktopLink(const fs::path& from, const fs::path& to)
{
    const auto document = readWholeFile(from);
    const auto url = document ? weblocUrl(*document) : std::nullopt;
    return url && writeFileAtomically(to, desktopLinkEntry(to.stem().string(), *url));
}

// A hard link of the stored file, a copy across file systems.
bool handOutFile(const fs::path& from, const fs::path& to)
{
    if (from.extension() == storedLink)
        return writeDesktopLink(from, to);
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (!error)
        return true;
    return fs::copy_file(from, to, error) && !error;
}

// Removes a folder of ours, unless something replaced it with a link.
void removeFolder(const fs::path& folder)
{
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(folder, error)))
        fs::remove_all(folder, error);
}
} // namespace

std::vector<std::string> HandOut::names(const ResolvedPocketItems& items)
{
    std::vector<std::string> result;
    std::set<std::string> taken;
    for (const auto& item : items) {
        if (!item->managed) {
            result.emplace_back();
            continue;
        }
        const std::string stored = item->path.extension().string();
        const std::string stem = stemOf(item->name, stored);
        const std::string extension = stored == storedLink ? std::string(handedLink) : stored;
        // The number goes with the extension, which safeFileName keeps whole when it
        // cuts a long stem, so the names stay distinct at any length.
        std::string name = safeFileName(stem, extension);
        for (int number = 2; taken.contains(name); ++number)
            name = safeFileName(stem, " " + std::to_string(number) + extension);
        taken.insert(name);
        result.push_back(std::move(name));
    }
    return result;
}

std::optional<fs::path> HandOut::standardRoot()
{
    const auto runtime = xdgRuntimeDirectory();
    return runtime ? std::optional(*runtime / "kestrane-handout") : std::nullopt;
}

std::vector<fs::path> HandOut::create(const fs::path& root, const Uuid& drag, const ResolvedPocketItems& items)
{
    const std::vector<std::string> handedNames = names(items);
    const fs::path folder = root / drag.string();
    const bool ready = makePrivateFolder(root) && makePrivateFolder(folder);
    std::vector<fs::path> offered;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const fs::path& stored = items[i]->path;
        if (handedNames[i].empty()) {
            offered.push_back(stored);
        } else if (ready && handOutFile(stored, folder / handedNames[i])) {
            offered.push_back(folder / handedNames[i]);
        } else {
            logLine("Kestrane: " + handedNames[i] + " is handed out as " + stored.filename().string() + ": it cannot be made in "
                + folder.string());
            offered.push_back(stored);
        }
    }
    return offered;
}

void HandOut::remove(const fs::path& root, const Uuid& drag)
{
    removeFolder(root / drag.string());
}

void HandOut::removeExpired(const fs::path& root, fs::file_time_type cutoff)
{
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(root, error)))
        return;
    for (const auto& entry : fs::directory_iterator(root, error)) {
        std::error_code unreadable;
        const auto changed = entry.last_write_time(unreadable);
        if (!unreadable && changed < cutoff && Uuid::parse(entry.path().filename().string()))
            removeFolder(entry.path());
    }
}

} // namespace kestrane
