#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// The content of a ".webloc" link file: an XML property list holding one dictionary whose
// only entry, "URL", is the link's absolute string. The string is XML-escaped; control
// characters and bytes that are not UTF-8 are percent-encoded, since XML cannot carry
// them and the link means the same either way.
std::string weblocDocument(std::string_view url);

// The link a document written by weblocDocument holds; absent when it holds none.
std::optional<std::string> weblocUrl(std::string_view document);
// The link a ".webloc" file holds; absent for a missing or unreadable file, one larger
// than a link file ever is, or one that holds no link.
std::optional<std::string> weblocFileUrl(const std::filesystem::path& file);

} // namespace kestrane
