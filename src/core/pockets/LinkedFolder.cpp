#include "pockets/LinkedFolder.h"

#include <system_error>

namespace kestrane {

std::optional<std::string> linkedFolderRefusal(const std::filesystem::path& folder)
{
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(folder, error)))
        return folder.string() + " is a symbolic link";
    return std::nullopt;
}

} // namespace kestrane
