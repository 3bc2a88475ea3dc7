#include "platform/Log.h"

#include <cstdio>
#include <utf8proc.h>

namespace kestrane {

namespace {

void appendEscapedBytes(std::string& out, std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
}

} // namespace

std::string escapeControlCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        utf8proc_int32_t codepoint = 0;
        const auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()), static_cast<utf8proc_ssize_t>(text.size()), &codepoint);
        const std::size_t taken = length > 0 ? static_cast<std::size_t>(length) : 1;
        if (length > 0 && utf8proc_category(codepoint) != UTF8PROC_CATEGORY_CC)
            out.append(text.substr(0, taken));
        else
            appendEscapedBytes(out, text.substr(0, taken));
        text.remove_prefix(taken);
    }
    return out;
}

void logLine(std::string_view line)
{
    std::string text = escapeControlCharacters(line);
    text += '\n';
    std::fputs(text.c_str(), stderr);
}

} // namespace kestrane
