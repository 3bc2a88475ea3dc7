#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// Text measured the way a reader sees it: in user-perceived characters (extended grapheme
// clusters), so that "é" written as e + combining accent, a flag or a family emoji joined
// by zero-width joiners each count as one. Every function accepts any bytes; an invalid
// UTF-8 sequence is read as U+FFFD, one replacement per byte that cannot start a character.

// Bytes taken by the well-formed UTF-8 character at the start of text; 0 when the text is
// empty or does not start with one (a stray continuation byte, an overlong form, a surrogate).
std::size_t wellFormedCharacterLength(std::string_view text);

// The text with every invalid UTF-8 sequence replaced by U+FFFD.
std::string validUtf8(std::string_view text);

// Byte offsets where each character of valid UTF-8 ends, in order; the last is its size.
std::vector<std::size_t> graphemeEnds(std::string_view valid);

std::size_t graphemeCount(std::string_view text);

// The first count characters, as valid UTF-8 (the whole text when it is shorter).
std::string firstGraphemes(std::string_view text, std::size_t count);

// The longest run of whole characters from the start that fits in maxBytes of UTF-8.
std::string firstGraphemesWithinBytes(std::string_view text, std::size_t maxBytes);

} // namespace kestrane
