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
        const unsigned triple = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        text += alphabet[triple >> 18 & 63];
        text += alphabet[triple >> 12 & 63];
        text += alphabet[triple >> 6 & 63];
        text += alphabet[triple & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const unsigned triple = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
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
    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int j = 0; j < 4; ++j) {
            const char c = text[i + j];
            if (c == '=' && last && j >= 2) {
                values[j] = 0;
                ++padding;
                continue;
            }
            // Data after padding is malformed.
            if (padding > 0)
                return std::nullopt;
            values[j] = decodeTable[static_cast<unsigned char>(c)];
            if (values[j] < 0)
                return std::nullopt;
        }
        const unsigned triple = values[0] << 18 | values[1] << 12 | values[2] << 6 | values[3];
        bytes.push_back(static_cast<std::uint8_t>(triple >> 16));
        if (padding < 2)
            bytes.push_back(static_cast<std::uint8_t>(triple >> 8 & 0xFF));
        if (padding < 1)
            bytes.push_back(static_cast<std::uint8_t>(triple & 0xFF));
    }
    return bytes;
}

} // namespace kestrane
