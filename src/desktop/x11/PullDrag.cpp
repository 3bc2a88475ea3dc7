#include "x11/PullDrag.h"

#include "pockets/HandOut.h"
#include "pockets/PocketStore.h"
#include "pockets/Webloc.h"
#include "services/LocalFileUrl.h"
#include "views/FileIcon.h"
#include "x11/DragSelectionRequests.h"

#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace kestrane {

namespace {
constexpr int stackOffset = 5;
// A text or picture offered as content too is read whole when the drag starts; a larger one
// is offered as its file only.
constexpr qint64 largestContentOffer = 16 * 1024 * 1024;

QByteArray contentsOf(const std::filesystem::path& file)
{
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly) || in.size() > largestContentOffer)
        return {};
    return in.readAll();
}

// What receivers that take no files understand: a text's text (an editor inserts it), a
// link's address (a browser opens it, an editor inserts it), a picture's PNG.
void offerContent(QMimeData& data, const ResolvedPocketItem& item)
{
    if (!item.managed)
        return;
    const QString extension = QString::fromStdString(item.path.extension().string()).toLower();
    if (extension == ".txt") {
        if (const QByteArray text = contentsOf(item.path); !text.isEmpty())
            data.setText(QString::fromUtf8(text));
    } else if (extension == ".webloc") {
        const auto link = weblocFileUrl(item.path);
        if (!link)
            return;
        const QString address = QString::fromStdString(*link);
        data.setText(address);
        // The address, then its title, in UTF-16 as browsers write it.
        QString title = QString::fromStdString(item.name);
        if (title.endsWith(extension, Qt::CaseInsensitive))
            title.chop(extension.size());
        const QString mozUrl = address + '\n' + title;
        data.setData("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(mozUrl.utf16()), mozUrl.size() * 2));
    } else if (extension == ".png") {
        if (const QByteArray png = contentsOf(item.path); !png.isEmpty())
            data.setData("image/png", png);
    }
}

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
    // The files go under the items' names; the receiver may read them well after the drop.
    const Uuid handOut = Uuid::random();
    const auto root = HandOut::standardRoot();
    std::vector<std::filesystem::path> files;
    if (root) {
        HandOut::removeExpired(*root, std::filesystem::file_time_type::clock::now() - PocketStore::pulledFileGrace);
        files = HandOut::create(*root, handOut, items_);
    } else {
        for (const auto& item : items_)
            files.push_back(item->path);
    }
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& file : files)
        urls.push_back(localFileUrl(file));
    data->setUrls(urls);
    if (items_.size() == 1)
        offerContent(*data, *items_.front());

    auto* drag = new QDrag(source_);
    drag->setMimeData(data);
    drag->setPixmap(stackedIcons(items_, iconSize_));
    requests_.setDragData(data);
    const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    requests_.setDragData(nullptr);
    if (root) {
        const auto forget = [root = *root, handOut] { HandOut::remove(root, handOut); };
        if (result == Qt::IgnoreAction)
            forget();
        else
            QTimer::singleShot(PocketStore::pulledFileGrace, source_, forget);
    }
    return { result != Qt::IgnoreAction, (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0 };
}

} // namespace kestrane
