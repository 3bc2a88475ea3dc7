#include "window/PullDrag.h"

#include "services/LocalFileUrl.h"
#include "views/FileIcon.h"
#include "x11/DragSelectionRequests.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWidget>

namespace kestrane {

namespace {
constexpr int stackOffset = 5;

// The items' icons stacked, each a little right of and below the one before.
QPixmap stackedIcons(const ResolvedPocketItems& items, int size)
{
    const int extent = size + stackOffset * static_cast<int>(items.size() - 1);
    QPixmap pixmap(extent, extent);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int offset = stackOffset * static_cast<int>(i);
        painter.drawPixmap(offset, offset, FileIcon::icon(items[i]->path).pixmap(size, size));
    }
    return pixmap;
}
} // namespace

PullDrag::PullDrag(QWidget* source, ResolvedPocketItems items, int iconSize, DragSelectionRequests& requests)
    : source_(source)
    , items_(std::move(items))
    , iconSize_(iconSize)
    , requests_(requests)
{
}

PullDrag::Outcome PullDrag::exec()
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& item : items_)
        urls.push_back(localFileUrl(item->path));
    data->setUrls(urls);

    auto* drag = new QDrag(source_);
    drag->setMimeData(data);
    drag->setPixmap(stackedIcons(items_, iconSize_));
    requests_.setDragData(data);
    const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    requests_.setDragData(nullptr);
    return { result != Qt::IgnoreAction, (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0 };
}

} // namespace kestrane
