#include "pockets/ItemName.h"

#include "platform/Graphemes.h"
#include "pockets/Headline.h"
#include "pockets/Url.h"

#include <algorithm>

namespace kestrane {

namespace {
// The longest file name Linux file systems take (NAME_MAX), in bytes.
constexpr std::size_t longestFileName = 255;

bool isReservedName(std::string_view name)
{
    return name.empty() || name == "." || name == "..";
}

std::string withoutSeparators(std::string_view text, std::size_t maxBytes)
{
    std::string safe = firstGraphemesWithinBytes(text, maxBytes);
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return c == '/' || c == '\0'; }, '-');
    return safe;
}
} // namespace

std::string safeFileName(std::string_view stem, std::string_view extension)
{
    const std::string safeExtension = withoutSeparators(extension, longestFileName);
    std::string name = withoutSeparators(stem, longestFileName - safeExtension.size()) + safeExtension;
    if (!isReservedName(name))
        return name;
    std::replace(name.begin(), name.end(), '.', '-');
    return name.empty() ? std::string(1, '-') : name;
}

std::string linkItemName(std::string_view url)
{
    return safeFileName(urlHost(url).value_or("Link"), ".webloc");
}

std::string pictureItemName(std::string_view sourceUrl)
{
    const std::string file = urlFileName(sourceUrl);
    const std::string stem = file.substr(0, file.rfind('.'));
    return stem.empty() ? std::string(imageItemName) : safeFileName(validUtf8(stem), ".png");
}

std::string textItemName(std::string_view text)
{
    return safeFileName(headline(text), ".txt");
}

} // namespace kestrane
