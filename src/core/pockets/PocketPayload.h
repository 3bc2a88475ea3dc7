#pragma once

#include "platform/Defaults.h"

#include <string>
#include <utility>
#include <variant>

namespace kestrane {

// Where an item's content lives: one of three cases, each holding only its own field.
struct PocketPayload {
    // The durable file reference, opaque to everyone but its resolver.
    struct Reference {
        Bytes bookmark;
        bool operator==(const Reference&) const = default;
    };
    // The name of a file inside the store's own payload folder.
    struct Managed {
        std::string filename;
        bool operator==(const Managed&) const = default;
    };
    // The absolute path of a file whose reference has not been made yet.
    struct Pending {
        std::string path;
        bool operator==(const Pending&) const = default;
    };
    // The alternatives' order is the stored index's order of cases.
    std::variant<Reference, Managed, Pending> value;

    static PocketPayload makeReference(Bytes bookmark) { return { Reference { std::move(bookmark) } }; }
    static PocketPayload makeManaged(std::string filename) { return { Managed { std::move(filename) } }; }
    static PocketPayload makePending(std::string path) { return { Pending { std::move(path) } }; }

    // The case's field, or null for the other cases.
    const Bytes* bookmark() const;
    const std::string* managedFilename() const;
    const std::string* pendingPath() const;

    bool operator==(const PocketPayload&) const = default;
};

} // namespace kestrane
