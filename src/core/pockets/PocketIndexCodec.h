#pragma once

#include "pockets/PocketItem.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// The index document that holds every pocket's items: one compact JSON object whose members
// are pocket ids (upper-case UUID strings), each an array of items in their pocket's order:
//   {"<POCKET>":[{"id":"<ITEM>","name":"...","addedAt":12.5,
//                 "payload":{"reference":{"bookmark":"<Base64>"}}}, ...], ...}
// The payload object holds exactly one of "reference", "managed" {"filename"} or
// "pending" {"path"}. Dates are seconds since 2001-01-01 UTC. Every "/" in a string is
// written "\/"; readers take it either way, in any member order and with any whitespace.

// Absent when a record cannot be written faithfully (a date that is not a finite number).
// Strings that are not valid UTF-8 are written with U+FFFD in place of the bad bytes, so
// one odd file name cannot stop the whole index from being saved.
std::optional<std::string> encodePocketIndex(const PocketMap& pockets);

struct PocketIndexDecodeResult {
    // Absent when the document is rejected; nothing is ever partially accepted.
    std::optional<PocketMap> pockets;
    // Why the document was rejected; empty on success.
    std::string error;
};

// Members whose names are not UUIDs are checked like the others and then dropped. When two
// names denote the same UUID, their lists are joined in file order, each item id once.
PocketIndexDecodeResult decodePocketIndex(std::string_view text);

} // namespace kestrane
