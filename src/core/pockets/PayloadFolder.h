#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// The folder of files the store writes itself, inside the store's folder. Neither folder
// may be a symbolic link: every write, deletion and sweep checks that first and refuses
// with one log line.
class PayloadFolder {
public:
    PayloadFolder(std::filesystem::path storeDirectory, std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // Creates both folders when missing; a failure shows later, when writing.
    void create() const;
    // Puts a new file in place atomically, without waiting for the disk (the index write
    // that first lists it makes it durable); on failure logs one line saying why.
    bool write(const std::string& filename, std::string_view contents) const;
    // Names that do not denote a file right inside the folder are skipped with a line.
    void remove(const std::vector<std::string>& filenames) const;
    // Removes what interrupted writes left behind, and payload files that no item lists
    // and that were last changed before cutoff.
    void sweep(const std::set<std::string>& listed, std::filesystem::file_time_type cutoff) const;

private:
    std::optional<std::string> refusal() const;

    std::filesystem::path storeDirectory_;
    std::filesystem::path path_;
};

} // namespace kestrane
