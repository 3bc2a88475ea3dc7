#include "pockets/Url.h"

#include <algorithm>

namespace kestrane {

namespace {
struct UrlParts {
    std::string_view scheme;
    std::optional<std::string_view> authority;
    std::string_view path;
};

// ASCII only, whatever the process locale says about bytes above 0x7F.
bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isLetterOrDigit(char c)
{
    return isLetter(c) || (c >= '0' && c <= '9');
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSchemeCharacter(char c)
{
    return isLetterOrDigit(c) || c == '+' || c == '-' || c == '.';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lowered(x) == lowered(y); });
}

std::optional<UrlParts> splitUrl(std::string_view url)
{
    const std::size_t colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos || !isLetter(url[0]))
        return std::nullopt;
    if (!std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), isSchemeCharacter))
        return std::nullopt;
    UrlParts parts { url.substr(0, colon), std::nullopt, url.substr(colon + 1) };
    parts.path = parts.path.substr(0, parts.path.find_first_of("?#"));
    if (parts.path.starts_with("//")) {
        const std::size_t end = parts.path.find('/', 2);
        parts.authority = parts.path.substr(2, end == std::string_view::npos ? end : end - 2);
        parts.path = end == std::string_view::npos ? std::string_view() : parts.path.substr(end);
    }
    return parts;
}

std::string_view hostOf(std::string_view authority)
{
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        return close == std::string_view::npos ? authority.substr(1) : authority.substr(1, close - 1);
    }
    return authority.substr(0, authority.find(':'));
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = lowered(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string percentDecoded(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low < 0) {
            decoded += text[i];
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

bool isUnreservedOrSlash(char c)
{
    return isLetterOrDigit(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}
} // namespace

bool isFileUrl(std::string_view url)
{
    const auto parts = splitUrl(url);
    return parts && equalsIgnoringCase(parts->scheme, "file");
}

std::optional<std::string> urlHost(std::string_view url)
{
    const auto parts = splitUrl(url);
    if (!parts || !parts->authority)
        return std::nullopt;
    const std::string_view host = hostOf(*parts->authority);
    if (host.empty())
        return std::nullopt;
    return std::string(host);
}

std::string urlFileName(std::string_view url)
{
    const auto parts = splitUrl(url);
    if (!parts)
        return {};
    const std::size_t slash = parts->path.rfind('/');
    return percentDecoded(slash == std::string_view::npos ? parts->path : parts->path.substr(slash + 1));
}

std::optional<std::filesystem::path> localPathFromFileUrl(std::string_view url)
{
    const auto parts = splitUrl(url);
    if (!parts || !equalsIgnoringCase(parts->scheme, "file"))
        return std::nullopt;
    if (parts->authority && !parts->authority->empty() && !equalsIgnoringCase(*parts->authority, "localhost"))
        return std::nullopt;
    std::string path = percentDecoded(parts->path);
    if (!path.starts_with('/') || path.find('\0') != std::string::npos)
        return std::nullopt;
    // A folder's URL ends in "/"; without it the path's last component is the folder's name.
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return std::filesystem::path(path);
}

void appendPercentEncoded(std::string& out, unsigned char byte)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0xF];
}

std::string fileUrlFromPath(const std::filesystem::path& absolutePath)
{
    std::string url = "file://";
    for (const char c : absolutePath.native()) {
        if (isUnreservedOrSlash(c))
            url += c;
        else
            appendPercentEncoded(url, static_cast<unsigned char>(c));
    }
    return url;
}

} // namespace kestrane
