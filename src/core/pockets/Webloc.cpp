#include "pockets/Webloc.h"

#include "platform/Graphemes.h"
#include "platform/ReadFile.h"
#include "pockets/Url.h"

#include <algorithm>

namespace kestrane {

namespace {
// Link files are small; anything larger is not one of ours.
constexpr std::size_t largestLinkFile = 64 * 1024;

constexpr std::string_view header =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "\t<key>URL</key>\n"
    "\t<string>";
constexpr std::string_view footer = "</string>\n"
                                    "</dict>\n"
                                    "</plist>\n";

std::string_view entityFor(char c)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\'':
        return "&apos;";
    default:
        return {};
    }
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

void appendEscaped(std::string& out, char c)
{
    if (const std::string_view entity = entityFor(c); !entity.empty())
        out += entity;
    else if (isControl(static_cast<unsigned char>(c)))
        appendPercentEncoded(out, static_cast<unsigned char>(c));
    else
        out += c;
}

// XML has no way to write U+FFFE and U+FFFF, not even as character references.
bool isOutsideXml(std::string_view character)
{
    return character == "\xEF\xBF\xBE" || character == "\xEF\xBF\xBF";
}

std::string escapedUrl(std::string_view url)
{
    std::string out;
    out.reserve(url.size());
    std::size_t offset = 0;
    while (offset < url.size()) {
        const std::string_view rest = url.substr(offset);
        const std::size_t length = wellFormedCharacterLength(rest);
        const std::string_view character = rest.substr(0, std::max<std::size_t>(length, 1));
        const bool unwritable = length == 0 || isOutsideXml(character);
        for (const char c : character) {
            if (unwritable)
                appendPercentEncoded(out, static_cast<unsigned char>(c));
            else
                appendEscaped(out, c);
        }
        offset += character.size();
    }
    return out;
}
// XML's five named entities back to their characters; the writer makes no others.
std::optional<std::string> unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view entity = text.substr(i, end - i + 1);
        constexpr std::string_view named = "&<>\"'";
        const auto known = std::find_if(named.begin(), named.end(), [&](char c) { return entityFor(c) == entity; });
        if (known == named.end())
            return std::nullopt;
        out += *known;
        i = end;
    }
    return out;
}
} // namespace

std::string weblocDocument(std::string_view url)
{
    std::string document(header);
    document += escapedUrl(url);
    document += footer;
    return document;
}

std::optional<std::string> weblocUrl(std::string_view document)
{
    constexpr std::string_view key = "<key>URL</key>";
    constexpr std::string_view open = "<string>";
    constexpr std::string_view close = "</string>";
    const std::size_t keyAt = document.find(key);
    const std::size_t start = keyAt == std::string_view::npos ? keyAt : document.find(open, keyAt + key.size());
    const std::size_t end = start == std::string_view::npos ? start : document.find(close, start);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::size_t from = start + open.size();
    return unescaped(document.substr(from, end - from));
}

std::optional<std::string> weblocFileUrl(const std::filesystem::path& file)
{
    const auto document = readWholeFile(file, largestLinkFile);
    return document ? weblocUrl(*document) : std::nullopt;
}

} // namespace kestrane
