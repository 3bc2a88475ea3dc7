#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// A link as a Linux desktop opens it: a freedesktop.org desktop entry of Type=Link, which
// file managers show by its Name and open at its URL. Values are escaped as the entry
// format asks (backslash, newline, tab, carriage return, a leading space).
std::string desktopLinkEntry(std::string_view name, std::string_view url);

// The URL of an entry's [Desktop Entry] group, unescaped; absent when it has none.
std::optional<std::string> desktopLinkUrl(std::string_view entry);

} // namespace kestrane
