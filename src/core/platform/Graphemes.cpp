#include "platform/Graphemes.h"

#include <utf8proc.h>

#include <vector>

namespace kestrane {

namespace {
constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

std::size_t characterLength(std::string_view text, utf8proc_int32_t& codepoint)
{
    const auto length =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()), static_cast<utf8proc_ssize_t>(text.size()), &codepoint);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}
} // namespace

std::vector<std::size_t> graphemeEnds(std::string_view valid)
{
    std::vector<std::size_t> ends;
    utf8proc_int32_t state = 0;
    utf8proc_int32_t previous = -1;
    std::size_t offset = 0;
    while (offset < valid.size()) {
        utf8proc_int32_t codepoint = 0;
        const std::size_t length = characterLength(valid.substr(offset), codepoint);
        // The break test keeps state across calls (regional-indicator pairs, emoji
        // sequences), so it has to see every adjacent pair in order.
        if (previous >= 0 && utf8proc_grapheme_break_stateful(previous, codepoint, &state))
            ends.push_back(offset);
        previous = codepoint;
        offset += length;
    }
    if (!valid.empty())
        ends.push_back(valid.size());
    return ends;
}

std::size_t wellFormedCharacterLength(std::string_view text)
{
    utf8proc_int32_t codepoint = 0;
    return characterLength(text, codepoint);
}

std::string validUtf8(std::string_view text)
{
    std::string valid;
    valid.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t length = wellFormedCharacterLength(text.substr(offset));
        if (length == 0) {
            valid += replacementCharacter;
            ++offset;
            continue;
        }
        valid += text.substr(offset, length);
        offset += length;
    }
    return valid;
}

std::size_t graphemeCount(std::string_view text)
{
    return graphemeEnds(validUtf8(text)).size();
}

std::string firstGraphemes(std::string_view text, std::size_t count)
{
    std::string valid = validUtf8(text);
    const auto ends = graphemeEnds(valid);
    if (count < ends.size())
        valid.resize(count == 0 ? 0 : ends[count - 1]);
    return valid;
}

std::string firstGraphemesWithinBytes(std::string_view text, std::size_t maxBytes)
{
    std::string valid = validUtf8(text);
    std::size_t kept = 0;
    for (std::size_t end : graphemeEnds(valid)) {
        if (end > maxBytes)
            break;
        kept = end;
    }
    valid.resize(kept);
    return valid;
}

} // namespace kestrane
