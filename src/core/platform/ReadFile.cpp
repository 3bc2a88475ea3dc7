#include "platform/ReadFile.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kestrane {

std::optional<std::string> readWholeFile(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        errno = error ? error.value() : EISDIR;
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(contents).str();
}

} // namespace kestrane
