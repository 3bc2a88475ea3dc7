#include "wayland/OfferedForms.h"

#include <QImage>

#include <algorithm>
#include <array>

namespace kestrane {

namespace {
// Best first; the text types after every picture, so a picture copied with its address as
// text stays a picture.
constexpr std::array preferredTypes {
    "text/uri-list",
    "image/png",
    "image/jpeg",
    "image/gif",
    "image/webp",
    "text/plain;charset=utf-8",
    "UTF8_STRING",
    "text/plain",
};
} // namespace

std::optional<std::string> bestOfferedForm(const std::vector<std::string>& types)
{
    for (const char* type : preferredTypes) {
        if (std::find(types.begin(), types.end(), type) != types.end())
            return type;
    }
    return std::nullopt;
}

std::unique_ptr<QMimeData> mimeDataOf(const std::string& type, const QByteArray& bytes)
{
    auto data = std::make_unique<QMimeData>();
    if (type == "text/uri-list")
        data->setData("text/uri-list", bytes);
    else if (type.starts_with("image/"))
        data->setImageData(QImage::fromData(bytes));
    else
        data->setText(QString::fromUtf8(bytes));
    return data;
}

} // namespace kestrane
