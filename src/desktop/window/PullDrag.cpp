#include "window/PullDrag.h"

#include <QDrag>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWidget>

namespace kestrane {

namespace {
constexpr int imageSize = 56;
constexpr int stackOffset = 5;

// The items' icons stacked, each a little right of and below the one before.
QPixmap stackedIcons(const ResolvedPocketItems& items)
{
    const int extent = imageSize + stackOffset * static_cast<int>(items.size() - 1);
    QPixmap pixmap(extent, extent);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFileIconProvider icons;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QIcon icon = icons.icon(QFileInfo(QString::fromStdString(items[i]->path.string())));
        const int offset = stackOffset * static_cast<int>(i);
        painter.drawPixmap(offset, offset, icon.pixmap(imageSize, imageSize));
    }
    return pixmap;
}
} // namespace

PullDrag::PullDrag(QWidget* source, ResolvedPocketItems items)
    : source_(source)
    , items_(std::move(items))
{
}

PullDrag::Outcome PullDrag::exec()
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& item : items_)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(item->path.string())));
    data->setUrls(urls);

    auto* drag = new QDrag(source_);
    drag->setMimeData(data);
    drag->setPixmap(stackedIcons(items_));
    const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    return { result != Qt::IgnoreAction, (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0 };
}

} // namespace kestrane
