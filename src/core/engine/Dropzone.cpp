#include "engine/Dropzone.h"

#include <nlohmann/json.hpp>

namespace kestrane {

namespace {

std::optional<Dropzone> decodeZone(const nlohmann::json& object)
{
    if (!object.is_object())
        return std::nullopt;
    auto id = object.find("id");
    auto name = object.find("name");
    auto anchor = object.find("anchor");
    auto kind = object.find("kind");
    if (id == object.end() || name == object.end() || anchor == object.end() || kind == object.end())
        return std::nullopt;
    if (!id->is_string() || !name->is_string() || !anchor->is_number() || !kind->is_string())
        return std::nullopt;
    auto uuid = Uuid::parse(id->get_ref<const std::string&>());
    if (!uuid)
        return std::nullopt;
    return Dropzone { *uuid, name->get<std::string>(), anchor->get<double>(), kind->get<std::string>() };
}

} // namespace

Bytes encodeZones(const std::vector<Dropzone>& zones)
{
    nlohmann::json array = nlohmann::json::array();
    for (const Dropzone& zone : zones)
        array.push_back({ { "id", zone.id.string() }, { "name", zone.name }, { "anchor", zone.anchor }, { "kind", zone.kind } });
    // Names are stored verbatim; invalid UTF-8 is replaced rather than failing the save.
    const std::string text = array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return Bytes(text.begin(), text.end());
}

std::optional<std::vector<Dropzone>> decodeZones(const Bytes& data)
{
    nlohmann::json document = nlohmann::json::parse(data.begin(), data.end(), nullptr, false);
    if (document.is_discarded() || !document.is_array())
        return std::nullopt;
    std::vector<Dropzone> zones;
    zones.reserve(document.size());
    for (const nlohmann::json& object : document) {
        auto zone = decodeZone(object);
        if (!zone)
            return std::nullopt;
        zones.push_back(std::move(*zone));
    }
    return zones;
}

} // namespace kestrane
