#pragma once

#include "platform/Graphemes.h"

#include <string>
#include <string_view>

namespace kestrane {

// The name a dropped text is stored under (without its ".txt"): its first non-empty line,
// trimmed of horizontal white space, cut to 24 characters plus "…" when longer, with every
// "/" turned into "-"; "Text" when nothing is left. Only LF ends a line: a CR LF pair is one
// character that is not a line break, so a text with CR LF line ends is all one line.
std::string headline(std::string_view text);

} // namespace kestrane
