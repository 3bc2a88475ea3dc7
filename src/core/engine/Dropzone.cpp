#include "engine/Dropzone.h"

#include <nlohmann/json.hpp>

#include <string>
#include <variant>

namespace kestrane {

namespace {
using nlohmann::json;

// Problems named one by one; a layout spoilt throughout gets one line for the rest.
constexpr std::size_t reportedPockets = 5;
// Enough of a pocket's name to tell which it is.
constexpr std::size_t shownNameBytes = 40;

struct Member {
    const char* key;
    bool (json::*hasType)() const noexcept;
    const char* type;
};
constexpr Member members[] = { { "id", &json::is_string, "text" }, { "name", &json::is_string, "text" },
    { "anchor", &json::is_number, "a number" }, { "kind", &json::is_string, "text" } };

// A Dropzone, or why the stored object cannot be one.
std::variant<Dropzone, std::string> decodePocket(const json& object)
{
    if (!object.is_object())
        return std::string("not an object");
    for (const Member& member : members) {
        auto value = object.find(member.key);
        if (value == object.end())
            return std::string("no \"") + member.key + "\"";
        if (!((*value).*member.hasType)())
            return std::string("\"") + member.key + "\" is not " + member.type;
    }
    auto uuid = Uuid::parse(object["id"].get_ref<const std::string&>());
    if (!uuid)
        return std::string("\"id\" is not a UUID");
    return Dropzone { *uuid, object["name"].get<std::string>(), object["anchor"].get<double>(), object["kind"].get<std::string>() };
}

// "pocket 3 \"Reading\"": its place in the list and, when it has one, the start of its name.
std::string describePocket(std::size_t index, const json& object)
{
    std::string text = "pocket " + std::to_string(index + 1);
    auto name = object.find("name");
    if (name == object.end() || !name->is_string())
        return text;
    std::string shown = name->get<std::string>();
    if (shown.size() > shownNameBytes) {
        std::size_t cut = shownNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut;
        shown = shown.substr(0, cut) + "\xE2\x80\xA6";
    }
    return text + " \"" + shown + "\"";
}
} // namespace

Bytes encodePockets(const std::vector<Dropzone>& pockets)
{
    json array = json::array();
    for (const Dropzone& pocket : pockets)
        array.push_back({ { "id", pocket.id.string() }, { "name", pocket.name }, { "anchor", pocket.anchor }, { "kind", pocket.kind } });
    // Names are stored verbatim; invalid UTF-8 is replaced rather than failing the save.
    const std::string text = array.dump(-1, ' ', false, json::error_handler_t::replace);
    return Bytes(text.begin(), text.end());
}

DecodedPockets decodePockets(const Bytes& data)
{
    // The parser refuses text that is not UTF-8 along with text that is not JSON.
    const json document = json::parse(data.begin(), data.end(), nullptr, false);
    if (document.is_discarded())
        return { {}, { "not JSON text in UTF-8" } };
    if (!document.is_array())
        return { {}, { std::string("a JSON ") + document.type_name() + ", not a list of pockets" } };
    DecodedPockets decoded;
    std::size_t leftOut = 0;
    for (std::size_t i = 0; i < document.size(); ++i) {
        auto pocket = decodePocket(document[i]);
        if (auto* usable = std::get_if<Dropzone>(&pocket)) {
            decoded.pockets.push_back(std::move(*usable));
        } else if (++leftOut <= reportedPockets) {
            decoded.problems.push_back(describePocket(i, document[i]) + ": " + std::get<std::string>(pocket) + "; left out");
        }
    }
    if (leftOut > reportedPockets)
        decoded.problems.push_back(std::to_string(leftOut - reportedPockets) + " more pockets could not be read; left out");
    return decoded;
}

} // namespace kestrane
