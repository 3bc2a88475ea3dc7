#include "services/MimePasteboard.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace kestrane {

std::vector<std::string> MimePasteboard::fileUrls() const
{
    std::vector<std::string> files;
    for (const QUrl& url : data_.urls()) {
        if (url.isLocalFile())
            files.push_back(url.toString(QUrl::FullyEncoded).toStdString());
    }
    return files;
}

std::vector<std::string> MimePasteboard::urls() const
{
    std::vector<std::string> all;
    for (const QUrl& url : data_.urls()) {
        if (url.isValid())
            all.push_back(url.toString(QUrl::FullyEncoded).toStdString());
    }
    return all;
}

std::optional<PasteboardImage> MimePasteboard::image() const
{
    if (!data_.hasImage())
        return std::nullopt;
    const QImage image = qvariant_cast<QImage>(data_.imageData());
    if (image.isNull())
        return PasteboardImage { std::nullopt };
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") || png.isEmpty())
        return PasteboardImage { std::nullopt };
    return PasteboardImage { Bytes(png.begin(), png.end()) };
}

std::optional<std::string> MimePasteboard::string() const
{
    if (!data_.hasText())
        return std::nullopt;
    return data_.text().toStdString();
}

bool MimePasteboard::offersAnything(const QMimeData& data)
{
    return data.hasUrls() || data.hasText() || data.hasImage();
}

} // namespace kestrane
