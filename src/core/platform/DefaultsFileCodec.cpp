#include "platform/DefaultsFileCodec.h"

namespace kestrane {

using nlohmann::json;

namespace {

// Counted on the text before anything is built. Brackets inside strings do not count; up to
// the first error the parser meets, the count is exact, and past it nothing is built.
bool nestsWithin(std::string_view text, int maxDepth)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

std::string dumped(const json& values, int indent)
{
    // Invalid UTF-8 in a string is written as U+FFFD rather than failing the whole file.
    return values.dump(indent, ' ', false, json::error_handler_t::replace) + '\n';
}

} // namespace

DefaultsFileDecodeResult decodeDefaultsFile(std::string_view text)
{
    if (text.size() > defaultsFileMaxBytes)
        return { std::nullopt, defaultsFileTooLarge };
    if (!nestsWithin(text, defaultsFileMaxDepth))
        return { std::nullopt, "it nests deeper than 64 levels" };
    json parsed = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded())
        return { std::nullopt, "it is not valid JSON" };
    if (!parsed.is_object())
        return { std::nullopt, "it does not hold a JSON object" };
    return { std::move(parsed), nullptr };
}

std::optional<std::string> encodeDefaultsFile(const json& values)
{
    std::string text = dumped(values, 2);
    // A compact file written by hand may only fit as it came.
    if (text.size() > defaultsFileMaxBytes)
        text = dumped(values, -1);
    if (text.size() > defaultsFileMaxBytes)
        return std::nullopt;
    return text;
}

} // namespace kestrane
