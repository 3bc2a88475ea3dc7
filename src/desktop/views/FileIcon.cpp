#include "views/FileIcon.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>

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

// Drawn here where neither the theme nor the widget style has an icon: a pale page, or a
// folder's tab and body.
QIcon generic(bool folder)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (folder) {
        painter.setBrush(QColor(120, 160, 210));
        painter.drawRoundedRect(QRectF(6, 12, 24, 12), 3, 3);
        painter.drawRoundedRect(QRectF(6, 18, 52, 36), 4, 4);
    } else {
        painter.setBrush(QColor(236, 236, 236));
        painter.drawRoundedRect(QRectF(14, 6, 36, 52), 3, 3);
    }
    return QIcon(pixmap);
}

QIcon themed(const QString& name)
{
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}
// Without a desktop environment to name one, Qt looks only in hicolor, which has almost no
// icons for file types: a complete theme is borrowed where one is installed.
void chooseFallbackTheme()
{
    if (QIcon::themeName() != "hicolor" && !QIcon::themeName().isEmpty())
        return;
    for (const QString& folder : QIcon::themeSearchPaths()) {
        for (const char* theme : { "Adwaita", "breeze", "gnome" }) {
            if (QFileInfo::exists(folder + "/" + theme + "/index.theme")) {
                QIcon::setFallbackThemeName(theme);
                return;
            }
        }
    }
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
    if (cache.isEmpty())
        chooseFallbackTheme();
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
    return icon.isNull() ? generic(type.name() == "inode/directory") : icon;
}

} // namespace kestrane
