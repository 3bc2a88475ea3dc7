#pragma once

#include <QUrl>

#include <filesystem>

namespace kestrane {

// The file URL of a local path, byte for byte: a name that is not UTF-8 keeps its bytes
// percent-encoded, where QUrl::fromLocalFile would replace them and name another file.
QUrl localFileUrl(const std::filesystem::path& absolutePath);

} // namespace kestrane
