#include "services/LocalFileUrl.h"

#include "pockets/Url.h"

namespace kestrane {

QUrl localFileUrl(const std::filesystem::path& absolutePath)
{
    return QUrl::fromEncoded(QByteArray::fromStdString(fileUrlFromPath(absolutePath)), QUrl::StrictMode);
}

} // namespace kestrane
