#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// What "--add" or "--list" asks of the pockets, whichever copy carries it out. Paths are
// absolute by the time a request is built, so the running copy reads them as the caller
// meant them.
struct PocketRequest {
    enum class Kind { add, list };

    Kind kind = Kind::list;
    // The pocket's name; empty for the first pocket.
    std::string pocket;
    // Absolute paths and URLs, in the order given.
    std::vector<std::string> targets;
    std::optional<std::string> text;
    bool json = false;

    bool operator==(const PocketRequest&) const = default;

    // One line of JSON, for the single-instance channel.
    std::string encode() const;
    static std::optional<PocketRequest> decode(const std::string& line);
};

// What a request printed and its exit status.
struct CommandOutcome {
    int status = 0;
    std::string output;

    bool operator==(const CommandOutcome&) const = default;

    std::string encode() const;
    static std::optional<CommandOutcome> decode(const std::string& line);
};

} // namespace kestrane
