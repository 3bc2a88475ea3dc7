#pragma once

#include "platform/Uuid.h"
#include "pockets/ResolvedPocketItem.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// The files a drag out offers. Content the store wrote itself lives under generated names
// ("<UUID>.txt"); another program must receive it under the item's own name, without the
// stored file being renamed. Each drag therefore gets a private folder in the runtime
// folder holding a hard link (a copy across file systems) of each such payload under its
// item's name; a kept link goes as a desktop entry ("<name>.desktop", Type=Link), which a
// Linux desktop opens as that link. The user's own files are offered where they are.
class HandOut {
public:
    // The name each item is handed out under, in order: a managed payload's item name made
    // safe (see safeFileName), with the payload's extension (".desktop" for a kept link),
    // and distinct within the drag
    // ("Note.txt", "Note 2.txt"); empty for a file offered where it is.
    static std::vector<std::string> names(const ResolvedPocketItems& items);

    // $XDG_RUNTIME_DIR/kestrane-handout; absent without a runtime folder.
    static std::optional<std::filesystem::path> standardRoot();

    // Makes root/<drag> (closed to other users) holding the named files; returns the path
    // to offer for each item. An item whose file cannot be made there is offered at its
    // stored path, with one log line: the receiver gets a generated name, never nothing.
    static std::vector<std::filesystem::path> create(const std::filesystem::path& root, const Uuid& drag, const ResolvedPocketItems& items);

    // Removes what one drag handed out; the stored payloads keep their own links.
    static void remove(const std::filesystem::path& root, const Uuid& drag);
    // Removes the drags' folders made before cutoff: at start, what an earlier run left, and
    // at each drag, what a timer missed. Copies running at once may share the root, so a
    // folder still in its grace is left alone.
    static void removeExpired(const std::filesystem::path& root, std::filesystem::file_time_type cutoff);
};

} // namespace kestrane
