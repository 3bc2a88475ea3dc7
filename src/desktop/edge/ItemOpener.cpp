#include "edge/ItemOpener.h"

#include "platform/Log.h"
#include "pockets/Webloc.h"
#include "services/LocalFileUrl.h"

#include <QDesktopServices>
#include <QUrl>

namespace kestrane {

bool openItem(const ResolvedPocketItem& item)
{
    if (!item.available)
        return false;
    QUrl url = localFileUrl(item.path);
    if (QString::fromStdString(item.path.extension().string()).compare(".webloc", Qt::CaseInsensitive) == 0) {
        const auto address = weblocFileUrl(item.path);
        if (const QUrl link(QString::fromStdString(address.value_or("")), QUrl::StrictMode); link.isValid() && !link.scheme().isEmpty())
            url = link;
    }
    if (QDesktopServices::openUrl(url))
        return true;
    logLine("Kestrane: no application could open " + url.toDisplayString().toStdString());
    return false;
}

} // namespace kestrane
