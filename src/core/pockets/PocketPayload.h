#pragma once

#include "platform/Defaults.h"

#include <string>

namespace kestrane {

// Where an item's content lives. Only the field that belongs to the kind carries meaning;
// the factories leave the other two empty, and equality looks at nothing else.
struct PocketPayload {
    enum class Kind { reference, managed, pending };

    Kind kind = Kind::pending;
    // reference: the durable file reference, opaque to everyone but its resolver.
    Bytes bookmark;
    // managed: the name of a file inside the store's own payload folder.
    std::string filename;
    // pending: the absolute path of a file whose reference has not been made yet.
    std::string path;

    static PocketPayload makeReference(Bytes bookmark);
    static PocketPayload makeManaged(std::string filename);
    static PocketPayload makePending(std::string path);

    bool operator==(const PocketPayload& other) const;
};

} // namespace kestrane
