#pragma once

#include <QIcon>
#include <QString>

#include <filesystem>

namespace kestrane {

// Icons for files, from the desktop's icon theme by MIME type, with a generic file or
// folder icon where the theme has none, so that no row is ever blank. Icons are cached
// for the whole run by lower-case extension; a file without an extension, and kinds whose
// icon belongs to the file itself (applications, launchers, bundles), are cached by path.
class FileIcon {
public:
    static QIcon icon(const std::filesystem::path& path);
    static QString cacheKey(const std::filesystem::path& path);

private:
    static QIcon lookUp(const std::filesystem::path& path);
};

} // namespace kestrane
