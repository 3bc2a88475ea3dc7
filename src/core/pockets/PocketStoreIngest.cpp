#include "pockets/PocketStore.h"

#include "platform/Graphemes.h"
#include "platform/Log.h"
#include "platform/ReadFile.h"
#include "pockets/DesktopLink.h"
#include "pockets/FileReference.h"
#include "pockets/HandOut.h"
#include "pockets/ItemName.h"
#include "pockets/Pasteboard.h"
#include "pockets/PayloadName.h"
#include "pockets/Url.h"
#include "pockets/Webloc.h"

#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
// The name a dropped file is shown by: its last path component ("/" itself for the root).
std::string droppedFileName(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.empty() ? path.string() : name;
}

// A file one of our drags handed out: it goes when the drag's grace ends, so a pocket it is
// dropped into keeps its own copy rather than a reference.
bool isHandedOut(const fs::path& dropped)
{
    const auto root = HandOut::standardRoot();
    std::error_code error;
    const fs::path file = fs::weakly_canonical(dropped, error);
    if (!root || error)
        return false;
    const fs::path folder = fs::weakly_canonical(*root, error);
    return !error && file.parent_path().parent_path() == folder;
}
} // namespace

int PocketStore::ingest(const Pasteboard& pasteboard, const Uuid& pocket)
{
    if (int files = ingestFiles(pasteboard.fileUrls(), pocket))
        return files;

    std::optional<PocketItem> made;
    const std::vector<std::string> urls = pasteboard.urls();
    const bool offersLink = !urls.empty() && !isFileUrl(urls.front());
    // A picture from a web page comes with its address: the picture is what was dragged,
    // so a link is kept only when nothing but an address is offered.
    if (auto image = pasteboard.image()) {
        made = makeImageFile(*image, offersLink ? pictureItemName(urls.front()) : std::string(imageItemName));
    } else if (offersLink) {
        made = makeWebloc(urls.front());
    } else if (auto text = pasteboard.string(); text && !text->empty()) {
        made = makeTextFile(*text);
    } else {
        return 0;
    }
    // A link or an image that could not be written is not retried as another kind.
    if (!made)
        return 0;
    std::vector<PocketItem> one;
    one.push_back(std::move(*made));
    append(pocket, std::move(one));
    return 1;
}

int PocketStore::ingestFiles(const std::vector<std::string>& fileUrls, const Uuid& pocket)
{
    std::vector<PocketItem> added;
    std::vector<std::pair<Uuid, fs::path>> files;
    added.reserve(fileUrls.size());
    files.reserve(fileUrls.size());
    const double now = now_();
    for (const std::string& url : fileUrls) {
        // A file on another machine, or a URL that names no absolute path, is no file here.
        const std::optional<fs::path> path = localPathFromFileUrl(url);
        if (!path)
            continue;
        if (auto payload = ownPayloadName(*path)) {
            const PocketItem* original = itemListing(*payload);
            if (auto copy = copyOwnPayload(payloadDirectory_ / *payload, original ? original->name : *payload))
                added.push_back(std::move(*copy));
            continue;
        }
        if (isHandedOut(*path)) {
            if (auto copy = copyHandedOut(*path))
                added.push_back(std::move(*copy));
            continue;
        }
        auto payload = payloadForDroppedFile(*path);
        if (!payload)
            continue;
        added.push_back(PocketItem::make(validUtf8(droppedFileName(*path)), std::move(*payload), now));
        files.emplace_back(added.back().id, *path);
    }
    if (added.empty())
        return 0;
    const int count = static_cast<int>(added.size());
    append(pocket, std::move(added));
    if (!files.empty())
        buildBookmarks(std::move(files), pocket);
    return count;
}

// A dropped file is pending until its reference is made in the background. The index keeps
// a pending path as text, so a path whose bytes are not UTF-8 gets its reference (which
// keeps the bytes) at once, or is refused.
std::optional<PocketPayload> PocketStore::payloadForDroppedFile(const fs::path& path)
{
    if (validUtf8(path.string()) == path.string())
        return PocketPayload::makePending(path.string());
    if (auto bytes = FileReference::create(path))
        return PocketPayload::makeReference(std::move(*bytes));
    logLine("Kestrane: " + path.string() + " was not added: it cannot be found again by its name");
    return std::nullopt;
}

// A file of the store's own payload folder, dropped from another pocket (directly or through
// a symbolic link), by its name there. What a drag handed out under the item's name is
// recognised by its folder instead (isHandedOut).
std::optional<std::string> PocketStore::ownPayloadName(const fs::path& dropped) const
{
    std::error_code error;
    const fs::path file = fs::weakly_canonical(dropped, error);
    if (error)
        return std::nullopt;
    const fs::path folder = fs::weakly_canonical(payloadDirectory_, error);
    if (error || file.parent_path() != folder || !managedPayloadPath(payloadDirectory_, file.filename().string()))
        return std::nullopt;
    return file.filename().string();
}

// The receiving pocket gets a payload of its own: a reference to the other pocket's file
// would die with that file, which goes when its item is removed.
std::optional<PocketItem> PocketStore::copyOwnPayload(const fs::path& file, std::string name)
{
    const std::optional<std::string> contents = readWholeFile(file);
    if (!contents) {
        logLine("Kestrane: the drop was refused: the pocket file " + file.string() + " cannot be read");
        return std::nullopt;
    }
    return makeManagedItem(std::move(name), file.extension().string(), *contents);
}

// What a drag handed out, taken back: a link went out as a desktop entry and comes back as
// the link it was.
std::optional<PocketItem> PocketStore::copyHandedOut(const fs::path& file)
{
    if (file.extension() != ".desktop")
        return copyOwnPayload(file, validUtf8(droppedFileName(file)));
    const std::optional<std::string> entry = readWholeFile(file);
    const std::optional<std::string> url = entry ? desktopLinkUrl(*entry) : std::nullopt;
    if (!url) {
        logLine("Kestrane: the drop was refused: the link " + file.string() + " cannot be read");
        return std::nullopt;
    }
    return makeManagedItem(validUtf8(file.stem().string()) + ".webloc", ".webloc", weblocDocument(*url));
}

std::optional<PocketItem> PocketStore::makeWebloc(const std::string& url)
{
    return makeManagedItem(linkItemName(url), ".webloc", weblocDocument(url));
}

std::optional<PocketItem> PocketStore::makeImageFile(const PasteboardImage& image, std::string name)
{
    if (!image.png || image.png->empty())
        return std::nullopt;
    const auto& png = *image.png;
    return makeManagedItem(std::move(name), ".png", std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
}

std::optional<PocketItem> PocketStore::makeTextFile(const std::string& text)
{
    return makeManagedItem(textItemName(text), ".txt", text);
}

// The payload goes to a fresh name through a temporary file, so a write that fails half-way
// leaves nothing behind and no item points at a partial file. It reaches the disk with the
// rest of its burst, before the index write that lists it.
std::optional<PocketItem> PocketStore::makeManagedItem(std::string name, std::string_view extension, std::string_view contents)
{
    const std::string filename = Uuid::random().string() + std::string(extension);
    if (!payloads_.write(filename, contents))
        return std::nullopt;
    indexWriter_.syncBeforeNextWrite(payloadDirectory_ / filename);
    return PocketItem::make(std::move(name), PocketPayload::makeManaged(filename), now_());
}

} // namespace kestrane
