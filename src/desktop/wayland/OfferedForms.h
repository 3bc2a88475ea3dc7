#pragma once

#include <QByteArray>
#include <QMimeData>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// The one form, of those another program offers, a pocket keeps best: files and links, then
// a picture, then text. None when nothing offered is of use.
std::optional<std::string> bestOfferedForm(const std::vector<std::string>& types);
// What was read in that form, as the edge takes it; with no bytes, only what kind it is.
std::unique_ptr<QMimeData> mimeDataOf(const std::string& type, const QByteArray& bytes);

} // namespace kestrane
