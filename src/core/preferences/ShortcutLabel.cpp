#include "preferences/ShortcutLabel.h"

#include "preferences/SpecialKeys.h"

#include <utf8proc.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace kestrane {

namespace {
using Codepoints = std::vector<utf8proc_int32_t>;

std::optional<Codepoints> decode(std::string_view text)
{
    Codepoints codepoints;
    auto bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    auto left = static_cast<utf8proc_ssize_t>(text.size());
    while (left > 0) {
        utf8proc_int32_t codepoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes, left, &codepoint);
        if (length <= 0)
            return std::nullopt;
        codepoints.push_back(codepoint);
        bytes += length;
        left -= length;
    }
    return codepoints;
}

bool isWhitespaceOrNewline(utf8proc_int32_t codepoint)
{
    if ((codepoint >= 0x09 && codepoint <= 0x0D) || codepoint == 0x85)
        return true;
    const utf8proc_category_t category = utf8proc_category(codepoint);
    return category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL || category == UTF8PROC_CATEGORY_ZP;
}

bool isControl(utf8proc_int32_t codepoint)
{
    return utf8proc_category(codepoint) == UTF8PROC_CATEGORY_CC;
}

Codepoints trimmed(const Codepoints& codepoints)
{
    auto first = std::find_if_not(codepoints.begin(), codepoints.end(), isWhitespaceOrNewline);
    auto last = std::find_if_not(codepoints.rbegin(), std::make_reverse_iterator(first), isWhitespaceOrNewline).base();
    return { first, last };
}

std::string upperCased(const Codepoints& codepoints)
{
    std::string text;
    for (utf8proc_int32_t codepoint : codepoints) {
        utf8proc_uint8_t encoded[4];
        const utf8proc_ssize_t length = utf8proc_encode_char(utf8proc_toupper(codepoint), encoded);
        text.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(length));
    }
    return text;
}

// Empty when the characters give no readable name: none at all, only whitespace, bytes
// that are not UTF-8, or control characters (which would show as nothing).
std::string printableName(std::string_view characters)
{
    const std::optional<Codepoints> decoded = decode(characters);
    if (!decoded)
        return {};
    const Codepoints name = trimmed(*decoded);
    if (std::any_of(name.begin(), name.end(), isControl))
        return {};
    return upperCased(name);
}
} // namespace

std::string shortcutLabel(const KeyEvent& event)
{
    if (auto special = specialKeyLabel(event.keyCode))
        return std::string(*special);
    std::string name = printableName(event.charactersIgnoringModifiers);
    if (!name.empty())
        return name;
    return "Key " + std::to_string(event.keyCode);
}

} // namespace kestrane
