#include "platform/Base64.h"

#include <array>

namespace kestrane {

namespace {
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> reverseAlphabet()
{
    std::array<int, 256> table {};
    for (int& entry : table)
        entry = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(alphabet[i])] = i;
    return table;
}
constexpr auto decodeTable = reverseAlphabet();
} // namespace

std::string encodeBase64(const Bytes& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned triple = static_cast<unsigned>(bytes[i]) << 16 | static_cast<unsigned>(bytes[i + 1]) << 8 | bytes[i + 2];
        text += alphabet[triple >> 18 & 63];
        text += alphabet[triple >> 12 & 63];
        text += alphabet[triple >> 6 & 63];
        text += alphabet[triple & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const unsigned triple = static_cast<unsigned>(bytes[i]) << 16 | (rest == 2 ? static_cast<unsigned>(bytes[i + 1]) << 8 : 0u);
        text += alphabet[triple >> 18 & 63];
        text += alphabet[triple >> 12 & 63];
        text += rest == 2 ? alphabet[triple >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

std::optional<Bytes> decodeBase64(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    // One or two "=" may end the last quantum; anywhere else "=" is outside the alphabet.
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    Bytes bytes(text.size() / 4 * 3);
    for (std::size_t i = 0, o = 0; i < text.size(); i += 4, o += 3) {
        const bool last = i + 4 == text.size();
        const auto value = [&](std::size_t j) { return last && j + padding >= 4 ? 0 : decodeTable[static_cast<unsigned char>(text[i + j])]; };
        const int a = value(0), b = value(1), c = value(2), d = value(3);
        if ((a | b | c | d) < 0)
            return std::nullopt;
        const unsigned triple = static_cast<unsigned>(a << 18 | b << 12 | c << 6 | d);
        bytes[o] = static_cast<std::uint8_t>(triple >> 16);
        bytes[o + 1] = static_cast<std::uint8_t>(triple >> 8 & 0xFF);
        bytes[o + 2] = static_cast<std::uint8_t>(triple & 0xFF);
    }
    bytes.resize(bytes.size() - padding);
    return bytes;
}

} // namespace kestrane
