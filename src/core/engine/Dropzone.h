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

// The stored form: UTF-8 JSON, one array of {"id", "name", "anchor", "kind"} objects.
// Decoding is all or nothing: any missing or mistyped member rejects the whole list.
Bytes encodeZones(const std::vector<Dropzone>& zones);
std::optional<std::vector<Dropzone>> decodeZones(const Bytes& data);

} // namespace kestrane
