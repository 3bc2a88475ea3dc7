#include "edge/DragOutOffer.h"

#include "pockets/HandOut.h"
#include "pockets/PocketStore.h"
#include "pockets/Webloc.h"
#include "services/LocalFileUrl.h"
#include "views/FileIcon.h"

#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>

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
} // namespace

DragOutOffer::DragOutOffer(const ResolvedPocketItems& items)
    : items_(items)
    , handOut_(Uuid::random())
    , root_(HandOut::standardRoot())
{
    if (root_) {
        HandOut::removeExpired(*root_, std::filesystem::file_time_type::clock::now() - PocketStore::pulledFileGrace);
        files_ = HandOut::create(*root_, handOut_, items_);
    } else {
        for (const auto& item : items_)
            files_.push_back(item->path);
    }
}

std::unique_ptr<QMimeData> DragOutOffer::data() const
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const auto& file : files_)
        urls.push_back(localFileUrl(file));
    data->setUrls(urls);
    if (items_.size() == 1)
        offerContent(*data, *items_.front());
    return data;
}

QImage DragOutOffer::icons(int size) const
{
    const int extent = size + stackOffset * static_cast<int>(items_.size() - 1);
    QImage image(extent, extent, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const int offset = stackOffset * static_cast<int>(i);
        painter.drawPixmap(offset, offset, FileIcon::icon(items_[i]->path).pixmap(size, size));
    }
    return image;
}

void DragOutOffer::finish(bool dropped, QObject* context) const
{
    if (!root_)
        return;
    const auto forget = [root = *root_, handOut = handOut_] { HandOut::remove(root, handOut); };
    if (dropped)
        QTimer::singleShot(PocketStore::pulledFileGrace, context, forget);
    else
        forget();
}

} // namespace kestrane
