#pragma once

#include "platform/Uuid.h"
#include "pockets/ResolvedPocketItem.h"

#include <QImage>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;
class QObject;

namespace kestrane {

// What a drag out of a pocket offers, on any window system: the items as files under their
// names (copies handed out for this drag, which the receiver may read well after the drop),
// and for a single text, link or picture its content too, for receivers that take no files.
class DragOutOffer final {
public:
    explicit DragOutOffer(const ResolvedPocketItems& items);

    // The data a receiver may ask for, in every form offered.
    std::unique_ptr<QMimeData> data() const;
    // The items' icons stacked, each a little right of and below the one before, each
    // `size` pixels wide.
    QImage icons(int size) const;
    // The drag is over: the handed-out files go at once when nothing took them, else after
    // the grace a late reader has. `context` outlives that grace or cancels it.
    void finish(bool dropped, QObject* context) const;

private:
    ResolvedPocketItems items_;
    Uuid handOut_;
    std::optional<std::filesystem::path> root_;
    std::vector<std::filesystem::path> files_;
};

} // namespace kestrane
