#include "pockets/Headline.h"

#include <utf8proc.h>

#include <algorithm>

namespace kestrane {

namespace {
constexpr std::size_t longestHeadline = 24;
constexpr std::string_view ellipsis = "\u2026";
constexpr std::string_view fallbackHeadline = "Text";

// An LF right after a CR belongs to the CR LF character and does not end the line.
bool endsLine(std::string_view text, std::size_t offset)
{
    return text[offset] == '\n' && (offset == 0 || text[offset - 1] != '\r');
}

std::string_view firstNonEmptyLine(std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t offset = 0; offset <= text.size(); ++offset) {
        if (offset < text.size() && !endsLine(text, offset))
            continue;
        if (offset > start)
            return text.substr(start, offset - start);
        start = offset + 1;
    }
    return {};
}

// Tabs and the space separators (U+0020, U+00A0, U+2003, U+3000, ...), not line breaks.
bool isHorizontalSpace(utf8proc_int32_t codepoint)
{
    return codepoint == '\t' || utf8proc_category(codepoint) == UTF8PROC_CATEGORY_ZS;
}

utf8proc_int32_t codepointAt(std::string_view valid, std::size_t offset, std::size_t& length)
{
    utf8proc_int32_t codepoint = 0;
    length = static_cast<std::size_t>(utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(valid.data() + offset),
        static_cast<utf8proc_ssize_t>(valid.size() - offset), &codepoint));
    return codepoint;
}

std::size_t startOfLastCodepoint(std::string_view valid)
{
    std::size_t start = valid.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(valid[start]) & 0xC0) == 0x80)
        --start;
    return start;
}

std::string_view trimmedHorizontalSpace(std::string_view valid)
{
    std::size_t length = 0;
    while (!valid.empty() && isHorizontalSpace(codepointAt(valid, 0, length)))
        valid.remove_prefix(length);
    while (!valid.empty()) {
        const std::size_t last = startOfLastCodepoint(valid);
        if (!isHorizontalSpace(codepointAt(valid, last, length)))
            break;
        valid.remove_suffix(valid.size() - last);
    }
    return valid;
}
} // namespace

std::string headline(std::string_view text)
{
    const std::string valid = validUtf8(text);
    std::string name(trimmedHorizontalSpace(firstNonEmptyLine(valid)));
    if (graphemeCount(name) > longestHeadline)
        name = firstGraphemes(name, longestHeadline) + std::string(ellipsis);
    std::replace(name.begin(), name.end(), '/', '-');
    return name.empty() ? std::string(fallbackHeadline) : name;
}

} // namespace kestrane
