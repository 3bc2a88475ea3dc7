#include "services/MimePasteboard.h"

#include "platform/Log.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>

namespace kestrane {

namespace {
constexpr char untypedBytes[] = "application/octet-stream";

bool isDataUrl(const QUrl& url)
{
    return url.scheme().compare("data", Qt::CaseInsensitive) == 0;
}

// A plain text that is one data URL and nothing else.
std::optional<QUrl> dataUrlIn(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || !isDataUrl(url))
        return std::nullopt;
    return url;
}

std::optional<Bytes> pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !image.save(&buffer, "PNG") || png.isEmpty())
        return std::nullopt;
    return Bytes(png.begin(), png.end());
}

// A data URL is "data:<media type>[;<parameter>]...[;base64],<content>", the content
// percent-encoded. Only image media types are read; nullopt for any other.
std::optional<QImage> imageOfDataUrl(const QUrl& url)
{
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const qsizetype comma = path.indexOf(',');
    const QByteArray header = path.left(comma).toLower();
    if (comma < 0 || !header.startsWith("image/"))
        return std::nullopt;
    QByteArray content = QByteArray::fromPercentEncoding(path.mid(comma + 1));
    if (header.endsWith(";base64")) {
        auto decoded = QByteArray::fromBase64Encoding(content, QByteArray::AbortOnBase64DecodingErrors);
        content = decoded ? *decoded : QByteArray();
    }
    return QImage::fromData(content);
}
} // namespace

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
        // A line without a scheme ("not an address") names nothing a link could open.
        if (url.isValid() && !url.isRelative() && !isDataUrl(url))
            all.push_back(url.toString(QUrl::FullyEncoded).toStdString());
    }
    return all;
}

std::optional<PasteboardImage> MimePasteboard::image() const
{
    if (data_.hasImage())
        return PasteboardImage { pngOf(qvariant_cast<QImage>(data_.imageData())) };
    // Browsers offer a page's picture as bytes of no named type beside its address; bytes
    // that are no picture are no image at all, and the address is kept as a link instead.
    if (data_.hasFormat(untypedBytes)) {
        if (const QImage picture = QImage::fromData(data_.data(untypedBytes)); !picture.isNull())
            return PasteboardImage { pngOf(picture) };
    }
    for (const QUrl& url : dataUrls()) {
        const std::optional<QImage> image = imageOfDataUrl(url);
        if (!image)
            continue;
        if (std::optional<Bytes> png = pngOf(*image))
            return PasteboardImage { std::move(png) };
        logLine("Kestrane: a dropped image (" + url.toString().left(48).toStdString() + "…) could not be decoded; ignored");
    }
    return std::nullopt;
}

std::optional<std::string> MimePasteboard::string() const
{
    if (!data_.hasText())
        return std::nullopt;
    const QString text = data_.text();
    if (dataUrlIn(text))
        return std::nullopt;
    return text.toStdString();
}

QList<QUrl> MimePasteboard::dataUrls() const
{
    QList<QUrl> found = data_.urls();
    found.removeIf([](const QUrl& url) { return !isDataUrl(url); });
    if (const auto inText = data_.hasText() ? dataUrlIn(data_.text()) : std::nullopt; inText && !found.contains(*inText))
        found.push_back(*inText);
    return found;
}

bool MimePasteboard::offersAnything(const QMimeData& data)
{
    return data.hasUrls() || data.hasText() || data.hasImage();
}

} // namespace kestrane
