#include "app/PocketRequest.h"

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
} // namespace

std::string PocketRequest::encode() const
{
    Json document = { { "kind", kind == Kind::add ? "add" : "list" }, { "pocket", pocket }, { "targets", targets }, { "json", json } };
    if (text)
        document["text"] = *text;
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
        request.targets = document->at("targets").get<std::vector<std::string>>();
        request.json = document->at("json");
        if (document->contains("text"))
            request.text = document->at("text").get<std::string>();
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
