#include "edge/ItemOpener.h"

#include "platform/Log.h"
#include "services/LocalFileUrl.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>

namespace kestrane {

namespace {
// Link files are small; anything larger is not one of ours.
constexpr qint64 largestLinkFile = 64 * 1024;

// The "URL" entry of a link file's property list.
QUrl linkIn(const QString& file)
{
    QFile link(file);
    if (!link.open(QIODevice::ReadOnly) || link.size() > largestLinkFile)
        return {};
    QXmlStreamReader xml(link.readAll());
    bool urlNext = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"key")
            urlNext = xml.readElementText() == "URL";
        else if (xml.name() == u"string" && urlNext)
            return QUrl(xml.readElementText(), QUrl::StrictMode);
    }
    return {};
}
} // namespace

bool openItem(const ResolvedPocketItem& item)
{
    if (!item.available)
        return false;
    QUrl url = localFileUrl(item.path);
    if (QString::fromStdString(item.path.extension().string()).compare(".webloc", Qt::CaseInsensitive) == 0) {
        if (const QUrl link = linkIn(QString::fromStdString(item.path.string())); link.isValid() && !link.scheme().isEmpty())
            url = link;
    }
    if (QDesktopServices::openUrl(url))
        return true;
    logLine("Kestrane: no application could open " + url.toDisplayString().toStdString());
    return false;
}

} // namespace kestrane
