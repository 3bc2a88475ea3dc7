#pragma once

#include "pockets/Pasteboard.h"
#include "pockets/Url.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <utility>

namespace kestrane {

// A pasteboard held in memory: filled by tests and by the seeding switch, which hands the
// store a pasteboard of its own instead of a drop.
class MemoryPasteboard final : public Pasteboard {
public:
    void addUrl(std::string url) { urls_.push_back(std::move(url)); }
    void addFile(const std::filesystem::path& absolutePath) { addUrl(fileUrlFromPath(absolutePath)); }
    void setImage(PasteboardImage image) { image_ = std::move(image); }
    void setString(std::string text) { string_ = std::move(text); }
    void clear() { *this = MemoryPasteboard(); }

    // The file URLs are those among all URLs that name a local path, as on a real drop.
    std::vector<std::string> fileUrls() const override
    {
        std::vector<std::string> files;
        std::copy_if(urls_.begin(), urls_.end(), std::back_inserter(files),
            [](const std::string& url) { return localPathFromFileUrl(url).has_value(); });
        return files;
    }
    std::vector<std::string> urls() const override { return urls_; }
    std::optional<PasteboardImage> image() const override { return image_; }
    std::optional<std::string> string() const override { return string_; }

private:
    std::vector<std::string> urls_;
    std::optional<PasteboardImage> image_;
    std::optional<std::string> string_;
};

} // namespace kestrane
