#pragma once

#include "platform/Defaults.h"
#include "platform/Uuid.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// A pocket's stored configuration. The anchor is the vertical centre as a fraction of the
// view height, so that a pocket keeps its place across screen changes.
struct Dropzone {
    Uuid id;
    std::string name;
    double anchor = 0;
    std::string kind = "shelf";

    bool operator==(const Dropzone&) const = default;
};

// What could be read of a stored layout: the usable pockets, in stored order, and one line
// for each pocket left out (or one for a layout that could not be read at all). No
// problems means the whole layout was read.
struct DecodedPockets {
    std::vector<Dropzone> pockets;
    std::vector<std::string> problems;
};

// The stored form: UTF-8 JSON, one array of {"id", "name", "anchor", "kind"} objects.
// Decoding goes pocket by pocket: one with a missing or mistyped member is left out, and
// the others are kept.
Bytes encodePockets(const std::vector<Dropzone>& pockets);
DecodedPockets decodePockets(const Bytes& data);

} // namespace kestrane
