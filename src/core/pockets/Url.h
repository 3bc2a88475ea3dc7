#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// The few things the pockets need to know about a URL given as text (as pasteboards hand
// them over). None of these throws or rejects loudly: a string that is not a URL simply
// has no scheme and no host.

// True when the scheme is "file", in any case, whatever the host.
bool isFileUrl(std::string_view url);

// The host between "//" and the path, without user information, port or IPv6 brackets;
// absent when the URL has no authority or an empty host (a mail link, "file:///...").
std::optional<std::string> urlHost(std::string_view url);

// The local path a file URL names, percent-decoded, without query, fragment or trailing
// "/". Absent for other schemes, for a host other than "" or "localhost" (a file on
// another machine), for a relative path and for a path that would hold a NUL byte.
// A "%" that is not followed by two hex digits is kept as it is.
std::optional<std::filesystem::path> localPathFromFileUrl(std::string_view url);

// The last segment of the URL's path, percent-decoded, without query or fragment; empty
// when the path ends in "/" or there is none.
std::string urlFileName(std::string_view url);

// "%" and the byte as two upper-case hex digits.
void appendPercentEncoded(std::string& out, unsigned char byte);

// "file://" + the absolute path, with every byte outside the unreserved set and "/"
// percent-encoded; localPathFromFileUrl gives the path back.
std::string fileUrlFromPath(const std::filesystem::path& absolutePath);

} // namespace kestrane
