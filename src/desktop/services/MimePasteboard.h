#pragma once

#include "pockets/Pasteboard.h"

#include <QList>
#include <QUrl>

class QMimeData;

namespace kestrane {

// What a drop offers, read from its MIME data: file URLs, every URL, an image (converted to
// PNG) and plain text. Reads the data on demand; valid while the drop lasts.
//
// Browsers offer an image of a page as a `data:` URL, often repeated as the plain text:
// such a URL holds the content itself, so it is read as an image (or not at all) and never
// as a link or a text.
class MimePasteboard final : public Pasteboard {
public:
    explicit MimePasteboard(const QMimeData& data)
        : data_(data)
    {
    }

    std::vector<std::string> fileUrls() const override;
    std::vector<std::string> urls() const override;
    std::optional<PasteboardImage> image() const override;
    std::optional<std::string> string() const override;

    // The MIME types a drop on the edge is accepted for.
    static bool offersAnything(const QMimeData& data);

private:
    // The data URLs offered as URLs or as the whole plain text, each once.
    QList<QUrl> dataUrls() const;

    const QMimeData& data_;
};

} // namespace kestrane
