#include "x11/PullDrag.h"

#include "edge/DragOutOffer.h"
#include "x11/DragSelectionRequests.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>
#include <QWidget>

namespace kestrane {

PullDrag::PullDrag(QWidget* source, ResolvedPocketItems items, int iconSize, DragSelectionRequests& requests)
    : source_(source)
    , items_(std::move(items))
    , iconSize_(iconSize)
    , requests_(requests)
{
}

PullDrag::Outcome PullDrag::exec()
{
    const DragOutOffer offer(items_);
    QMimeData* data = offer.data().release();
    auto* drag = new QDrag(source_);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(offer.icons(iconSize_)));
    requests_.setDragData(data);
    const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    requests_.setDragData(nullptr);
    offer.finish(result != Qt::IgnoreAction, source_);
    return { result != Qt::IgnoreAction, (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0 };
}

} // namespace kestrane
