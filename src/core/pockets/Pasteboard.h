#pragma once

#include "platform/Defaults.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// An image on a pasteboard. The PNG is absent when the image was there but could not be
// converted: a drop of it then stores nothing rather than falling back to its text.
struct PasteboardImage {
    std::optional<Bytes> png;

    bool operator==(const PasteboardImage&) const = default;
};

// What a drop or a seeding run offers, in the order the ingest asks for it: files first,
// then an image, then a link, then plain text. URLs are strings as the source gave them
// (absolute, percent-encoded).
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // File URLs naming local files or folders, in pasteboard order.
    virtual std::vector<std::string> fileUrls() const = 0;
    // Every URL, file ones included, in pasteboard order.
    virtual std::vector<std::string> urls() const = 0;
    // Absent when the pasteboard holds no image at all.
    virtual std::optional<PasteboardImage> image() const = 0;
    // The plain-text string, absent when there is none.
    virtual std::optional<std::string> string() const = 0;
};

} // namespace kestrane
