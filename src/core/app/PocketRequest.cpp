#include "app/PocketRequest.h"

#include "platform/Base64.h"
#include "platform/Graphemes.h"

#include <nlohmann/json.hpp>

namespace kestrane {

namespace {
using Json = nlohmann::json;

std::optional<Json> parseObject(const std::string& line)
{
    Json document = Json::parse(line, nullptr, false);
    if (!document.is_object())
        return std::nullopt;
    return document;
}
// Paths are the file system's bytes, which need not be UTF-8: such a string travels as
// {"base64": "..."}, as the settings file keeps bytes.
Json bytesSafe(const std::string& text)
{
    if (validUtf8(text) == text)
        return text;
    return { { "base64", encodeBase64(Bytes(text.begin(), text.end())) } };
}

std::string fromBytesSafe(const Json& value)
{
    if (!value.is_object())
        return value.get<std::string>();
    const auto bytes = decodeBase64(value.at("base64").get<std::string>());
    if (!bytes)
        throw Json::other_error::create(501, "not Base64", &value);
    return { bytes->begin(), bytes->end() };
}
} // namespace

std::string PocketRequest::encode() const
{
    Json encodedTargets = Json::array();
    for (const std::string& target : targets)
        encodedTargets.push_back(bytesSafe(target));
    Json document = { { "kind", kind == Kind::add ? "add" : "list" }, { "pocket", pocket }, { "targets", encodedTargets }, { "json", json } };
    if (text)
        document["text"] = bytesSafe(*text);
    return document.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<PocketRequest> PocketRequest::decode(const std::string& line)
{
    const auto document = parseObject(line);
    if (!document)
        return std::nullopt;
    try {
        PocketRequest request;
        const std::string kind = document->at("kind");
        if (kind != "add" && kind != "list")
            return std::nullopt;
        request.kind = kind == "add" ? Kind::add : Kind::list;
        request.pocket = document->at("pocket");
        for (const Json& target : document->at("targets"))
            request.targets.push_back(fromBytesSafe(target));
        request.json = document->at("json");
        if (document->contains("text"))
            request.text = fromBytesSafe(document->at("text"));
        return request;
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

std::string CommandOutcome::encode() const
{
    return Json { { "status", status }, { "output", output } }.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<CommandOutcome> CommandOutcome::decode(const std::string& line)
{
    const auto document = parseObject(line);
    if (!document)
        return std::nullopt;
    try {
        return CommandOutcome { document->at("status"), document->at("output") };
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

} // namespace kestrane
