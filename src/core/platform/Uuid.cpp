#include "platform/Uuid.h"

#include <uuid/uuid.h>

namespace kestrane {

Uuid Uuid::random()
{
    Uuid id;
    uuid_generate_random(id.bytes.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text)
{
    // uuid_parse also accepts a trailing NUL-terminated tail, so check the length first.
    if (text.size() != 36)
        return std::nullopt;
    char buffer[37];
    text.copy(buffer, 36);
    buffer[36] = '\0';
    Uuid id;
    if (uuid_parse(buffer, id.bytes.data()) != 0)
        return std::nullopt;
    return id;
}

std::string Uuid::string() const
{
    char buffer[37];
    uuid_unparse_upper(bytes.data(), buffer);
    return std::string(buffer, 36);
}

} // namespace kestrane
