#include "services/MimePasteboard.h"

#include "StderrOf.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>

#include <algorithm>
#include <gtest/gtest.h>

using namespace kestrane;

// Browsers offer an image of a page as a data URL, in the URL list and again as the text.
TEST(MimePasteboardTest, DataUrlsAreImagesOrNothingButNeverLinksOrTexts)
{
    QImage red(7, 5, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png, jpeg;
    QBuffer pngFile(&png), jpegFile(&jpeg);
    ASSERT_TRUE(red.save(&pngFile, "PNG") && red.save(&jpegFile, "JPEG"));
    const struct {
        QByteArray url;
        bool image;
        int diagnostics;
    } cases[] = {
        { "data:image/png;base64," + png.toBase64(), true, 0 },
        { "data:image/png," + png.toPercentEncoding(), true, 0 },
        { "data:image/jpeg;base64," + jpeg.toBase64(), true, 0 },
        { "data:text/plain,hello", false, 0 },
        { "data:image/png;base64,iVBORw0KGgo!!!", false, 1 },
    };
    for (const auto& [url, isImage, diagnostics] : cases) {
        SCOPED_TRACE(url.left(40).toStdString());
        QMimeData data;
        data.setUrls({ QUrl::fromEncoded(url), QUrl("https://example.org/page") });
        data.setText(QString::fromLatin1(url));
        const MimePasteboard pasteboard(data);
        EXPECT_EQ(pasteboard.urls(), std::vector<std::string> { "https://example.org/page" });
        EXPECT_EQ(pasteboard.string(), std::nullopt);
        std::optional<PasteboardImage> image;
        EXPECT_EQ(std::ranges::count(kestrane::testing::stderrOf([&] { image = pasteboard.image(); }), '\n'), diagnostics);
        const Bytes stored = image ? image->png.value_or(Bytes {}) : Bytes {};
        EXPECT_EQ(QImage::fromData(stored.data(), int(stored.size()), "PNG").size(), isImage ? QSize(7, 5) : QSize(0, 0));
    }
}

// A list of addresses from a hostile or broken source: only what has a scheme is a link.
TEST(MimePasteboardTest, LinesWithoutASchemeAreNoLinks)
{
    QMimeData data;
    data.setData("text/uri-list", "not an address\r\n\x01\x02\r\n/etc/passwd\r\nhttps://example.org/a%20b\r\n");
    EXPECT_EQ(MimePasteboard(data).urls(), std::vector<std::string> { "https://example.org/a%20b" });
}
