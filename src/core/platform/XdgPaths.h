#pragma once

#include <filesystem>
#include <optional>

namespace kestrane {

// The XDG base folders. A variable that is unset, empty or relative is ignored, as the
// freedesktop.org convention asks; without HOME there is no fallback and the result is
// absent.
std::optional<std::filesystem::path> xdgConfigHome();
std::optional<std::filesystem::path> xdgDataHome();
std::optional<std::filesystem::path> xdgRuntimeDirectory();

} // namespace kestrane
