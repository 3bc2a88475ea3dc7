#include "pockets/Webloc.h"

#include "pockets/Graphemes.h"
#include "pockets/Url.h"

#include <algorithm>

namespace kestrane {

namespace {
constexpr std::string_view header =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "\t<key>URL</key>\n"
    "\t<string>";
constexpr std::string_view footer =
    "</string>\n"
    "</dict>\n"
    "</plist>\n";

std::string_view entityFor(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return {};
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
} // namespace

std::string weblocDocument(std::string_view url)
{
    std::string document(header);
    document += escapedUrl(url);
    document += footer;
    return document;
}

} // namespace kestrane
