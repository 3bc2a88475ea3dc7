#include "pockets/DesktopLink.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kestrane {

namespace {
constexpr std::string_view mainGroup = "[Desktop Entry]";
// Characters a value cannot hold as they are, and their escapes' second character.
constexpr std::array<std::pair<char, char>, 4> escapes { { { '\\', '\\' }, { '\n', 'n' }, { '\t', 't' }, { '\r', 'r' } } };

std::string escaped(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const auto escape = std::find_if(escapes.begin(), escapes.end(), [c](const auto& e) { return e.first == c; });
        if (escape != escapes.end())
            out += std::string { '\\', escape->second };
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

std::string unescaped(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char code = value[++i];
        const auto escape = std::find_if(escapes.begin(), escapes.end(), [code](const auto& e) { return e.second == code; });
        out += escape != escapes.end() ? escape->first : code == 's' ? ' ' : code;
    }
    return out;
}

// Spaces around "=" mean nothing; the value's own trailing spaces are kept.
std::string_view withoutLeadingSpace(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view {} : text.substr(first);
}

std::string_view withoutTrailingSpace(std::string_view text)
{
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}
} // namespace

std::string desktopLinkEntry(std::string_view name, std::string_view url)
{
    return std::string(mainGroup) + "\nType=Link\nName=" + escaped(name) + "\nURL=" + escaped(url) + "\nIcon=text-html\n";
}

std::optional<std::string> desktopLinkUrl(std::string_view entry)
{
    bool inMainGroup = false;
    while (!entry.empty()) {
        const std::size_t end = entry.find('\n');
        std::string_view line = withoutLeadingSpace(entry.substr(0, end));
        entry = end == std::string_view::npos ? std::string_view {} : entry.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('['))
            inMainGroup = withoutTrailingSpace(line) == mainGroup;
        const std::size_t equals = line.find('=');
        if (inMainGroup && equals != std::string_view::npos && withoutTrailingSpace(line.substr(0, equals)) == "URL")
            return unescaped(withoutLeadingSpace(line.substr(equals + 1)));
    }
    return std::nullopt;
}

} // namespace kestrane
