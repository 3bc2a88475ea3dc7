#include "pockets/PocketIndexCodec.h"

#include "platform/Base64.h"

#include <array>
#include <charconv>
#include <cmath>
#include <new>

namespace kestrane {

namespace {

// The reader accepts only well-formed UTF-8 (no overlong forms, no surrogates, nothing
// past U+10FFFF); returns the length of the sequence starting at `at`, or 0 if it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

void appendControlEscape(std::string& out, unsigned char c)
{
    static constexpr char hex[] = "0123456789abcdef";
    switch (c) {
    case '\b':
        out += "\\b";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
    }
}

// Bytes that can be copied into a JSON string as they are: printable ASCII other than the
// quote, the backslash and the slash. Everything else needs a look.
constexpr std::array<bool, 256> plainBytes()
{
    std::array<bool, 256> table {};
    for (int c = 0x20; c < 0x80; ++c)
        table[static_cast<std::size_t>(c)] = c != '"' && c != '\\' && c != '/';
    return table;
}
constexpr auto isPlain = plainBytes();

// Writes a JSON string with every "/" escaped as "\/", the index's fixed form (readers take
// both); bytes that are not UTF-8 become U+FFFD so that the document stays readable.
void appendString(std::string& out, std::string_view text)
{
    out += '"';
    std::size_t plainStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (isPlain[c]) {
            ++i;
            continue;
        }
        const std::size_t length = c >= 0x80 ? utf8SequenceLength(text, i) : 0;
        if (length > 0) {
            i += length;
            continue;
        }
        out.append(text, plainStart, i - plainStart);
        if (c >= 0x80)
            out += "\xEF\xBF\xBD";
        else if (c < 0x20)
            appendControlEscape(out, c);
        else
            out.append({ '\\', static_cast<char>(c) });
        plainStart = ++i;
    }
    out.append(text, plainStart, i - plainStart);
    out += '"';
}

// The shortest text that reads back as the same double.
void appendNumber(std::string& out, double value)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

void appendPayload(std::string& out, const PocketPayload& payload)
{
    if (const Bytes* bookmark = payload.bookmark()) {
        out += "{\"reference\":{\"bookmark\":";
        appendString(out, encodeBase64(*bookmark));
    } else if (const std::string* filename = payload.managedFilename()) {
        out += "{\"managed\":{\"filename\":";
        appendString(out, *filename);
    } else if (const std::string* path = payload.pendingPath()) {
        out += "{\"pending\":{\"path\":";
        appendString(out, *path);
    }
    out += "}}";
}

std::size_t payloadSize(const PocketPayload& payload)
{
    if (const Bytes* bookmark = payload.bookmark())
        return bookmark->size() / 3 * 4;
    const std::string* text = payload.managedFilename();
    return text ? text->size() : payload.pendingPath()->size();
}

void appendItem(std::string& out, const PocketItem& item)
{
    out += "{\"id\":";
    appendString(out, item.id.string());
    out += ",\"name\":";
    appendString(out, item.name);
    out += ",\"payload\":";
    appendPayload(out, item.payload);
    out += ",\"addedAt\":";
    appendNumber(out, item.addedAt);
    out += '}';
}

void appendItems(std::string& out, const std::vector<PocketItem>& items)
{
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        appendItem(out, items[i]);
    }
    out += ']';
}

// Enough room for the whole document in most cases, so that it is not copied as it grows.
std::size_t roughEncodedSize(const PocketMap& pockets)
{
    constexpr std::size_t perPocket = 48;
    constexpr std::size_t perItem = 160;
    std::size_t size = 2;
    for (const auto& [pocket, items] : pockets) {
        size += perPocket;
        for (const PocketItem& item : items) {
            size += perItem + item.name.size() + payloadSize(item.payload);
        }
    }
    return size;
}

bool allDatesFinite(const PocketMap& pockets)
{
    for (const auto& [pocket, items] : pockets)
        for (const PocketItem& item : items)
            if (!std::isfinite(item.addedAt))
                return false;
    return true;
}

} // namespace

std::optional<std::string> encodePocketIndex(const PocketMap& pockets)
{
    // JSON has no form for infinity or NaN; writing one would make the whole file unreadable.
    if (!allDatesFinite(pockets))
        return std::nullopt;
    try {
        std::string out;
        out.reserve(roughEncodedSize(pockets));
        out += '{';
        for (const auto& [pocket, items] : pockets) {
            if (out.size() > 1)
                out += ',';
            appendString(out, pocket.string());
            out += ':';
            appendItems(out, items);
        }
        out += '}';
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace kestrane
