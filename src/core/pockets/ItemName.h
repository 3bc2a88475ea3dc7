#pragma once

#include <string>
#include <string_view>

namespace kestrane {

// Names of the items a drop creates when the store writes the payload itself. They are
// shown in the drawer and offered as file names when an item is dragged out, so each is a
// usable file name: never "/" or NUL inside, never "", "." or "..", at most 255 bytes of
// valid UTF-8 (a longer stem is cut at a character boundary; the extension is kept).

inline constexpr std::string_view imageItemName = "Image.png";

// A picture kept as PNG, named after the file its address names ("cat.jpg" gives
// "cat.png"); imageItemName when the address names none.
std::string pictureItemName(std::string_view sourceUrl);

// The link's host + ".webloc", or "Link.webloc" when the link has no host (a mail link).
std::string linkItemName(std::string_view url);

// The text's headline + ".txt".
std::string textItemName(std::string_view text);

// stem + extension made safe as above; "/" and NUL become "-", and a stem that would leave
// the name "", "." or ".." has its dots turned into "-" as well.
std::string safeFileName(std::string_view stem, std::string_view extension);

} // namespace kestrane
