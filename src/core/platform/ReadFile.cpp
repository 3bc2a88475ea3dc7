#include "platform/ReadFile.h"

#include <array>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace kestrane {

std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        errno = error ? error.value() : EISDIR;
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string contents;
    std::array<char, 65536> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0) {
        const auto count = static_cast<std::size_t>(in.gcount());
        if (count > maxBytes - contents.size()) {
            errno = EFBIG;
            return std::nullopt;
        }
        contents.append(buffer.data(), count);
    }
    if (in.bad())
        return std::nullopt;
    return contents;
}

} // namespace kestrane
