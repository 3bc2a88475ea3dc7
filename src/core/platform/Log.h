#pragma once

#include <string>
#include <string_view>

namespace kestrane {

// The system log line: one line on standard error, with control characters escaped so that
// one event is always one line, whatever file names it quotes.
void logLine(std::string_view line);

// text with every control character and every byte that is not part of valid UTF-8 written
// as an escape: \n, \r and \t as such, any other as \xHH per byte.
std::string escapeControlCharacters(std::string_view text);

} // namespace kestrane
