#include "views/FileIcon.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

#include <algorithm>
#include <array>

namespace kestrane {

namespace {
// Extensions of files that carry their own icon, or stand for a program of their own.
constexpr std::array ownIconExtensions { "app", "bundle", "framework", "plugin", "kext", "desktop", "appimage" };

// A launcher names its icon in its [Desktop Entry] group.
QIcon launcherIcon(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inEntry = false;
    for (int lines = 0; lines < 200 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Icon=")) {
            const QString name = line.mid(5).trimmed();
            return QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
        }
    }
    return {};
}

QIcon themed(const QString& name)
{
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}
} // namespace

QString FileIcon::cacheKey(const std::filesystem::path& path)
{
    const QString extension = QFileInfo(QString::fromStdString(path.filename().string())).suffix().toLower();
    const bool ownIcon = std::find(ownIconExtensions.begin(), ownIconExtensions.end(), extension) != ownIconExtensions.end();
    if (extension.isEmpty() || ownIcon)
        return QString::fromStdString(path.string());
    return extension;
}

QIcon FileIcon::icon(const std::filesystem::path& path)
{
    static QHash<QString, QIcon> cache;
    const QString key = cacheKey(path);
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    return *cache.insert(key, lookUp(path));
}

QIcon FileIcon::lookUp(const std::filesystem::path& path)
{
    const QString file = QString::fromStdString(path.string());
    QIcon icon;
    if (file.endsWith(".desktop", Qt::CaseInsensitive))
        icon = launcherIcon(file);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    if (icon.isNull())
        icon = themed(type.iconName());
    if (icon.isNull())
        icon = themed(type.genericIconName());
    if (icon.isNull()) {
        const bool folder = type.name() == "inode/directory";
        icon = QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
    return icon;
}

} // namespace kestrane
