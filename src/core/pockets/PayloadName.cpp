#include "pockets/PayloadName.h"

namespace kestrane {

std::optional<std::filesystem::path> managedPayloadPath(const std::filesystem::path& payloadDirectory, std::string_view filename)
{
    if (filename.empty() || filename == "." || filename == "..")
        return std::nullopt;
    if (filename.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return std::nullopt;
    return payloadDirectory / filename;
}

} // namespace kestrane
