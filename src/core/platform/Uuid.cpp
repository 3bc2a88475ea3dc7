#include "platform/Uuid.h"

#include <uuid/uuid.h>

#include <charconv>

namespace kestrane {

Uuid Uuid::random()
{
    Uuid id;
    uuid_generate_random(id.bytes.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text)
{
    // Not uuid_parse, which reads each byte with strtoul: an index holds an id per item.
    if (text.size() != 36)
        return std::nullopt;
    Uuid id;
    auto byte = id.bytes.begin();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-')
                return std::nullopt;
            ++i;
        }
        const char* digits = text.data() + i;
        const auto [end, error] = std::from_chars(digits, digits + 2, *byte++, 16);
        if (error != std::errc {} || end != digits + 2)
            return std::nullopt;
    }
    return id;
}

std::string Uuid::string() const
{
    char buffer[37];
    uuid_unparse_upper(bytes.data(), buffer);
    return std::string(buffer, 36);
}

} // namespace kestrane
